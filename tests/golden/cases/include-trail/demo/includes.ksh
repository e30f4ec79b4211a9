' A small codeset for the golden cases.
#addcmmd end 0x00 ' End of a script
#addparm 4
#addcmmd wait 0x01 ' Wait a number of frames
#addparm 0
#addcmmd flag 0x02 ' Set a flag
#addparm 1
#addcmmd goto 0x05 ' Continue elsewhere
#addparm 3
#do
