' Parameters that consume no word: a fixed value, a mask() value and type 6
' masks, whose parameter text is both the value and the field type.
#addcmmd sound 0x10 ' A sound at full volume
#addparm 0
#addparm 0 0x7F
#addcmmd pad 0x0C ' One zero byte
#addparm 6 0
#addcmmd wide 0x0D ' A type-6 word field
#addparm 6 1
#addparm 0
#addcmmd masked 0x11 ' mask(): a fixed byte
#addparm 0 mask(0xFF)
#addparm 0
#do
