' Type 7: the byte of another command (by keyword), or a number.
#addcmmd wait 0x01 ' Wait a number of frames
#addparm 0
#addcmmd pause 0x0D ' A wait byte and its frames
#addparm 7 wait
#addparm 0
#addcmmd odd 0x0E ' A fixed command byte given as a number
#addparm 7 0x99
#addparm 0
#do
