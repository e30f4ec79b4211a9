' Commands and an alias for decoding: "turnleft 3" is "face 3 1".
#addcmmd end 0x00
#addparm 4
#addcmmd wait 0x01
#addparm 0
#addcmmd face 0x0A
#addparm 0
#addparm 0
#alias turnleft $1
#addparm 7 face
#addparm 0
#addparm 0 1
#do
