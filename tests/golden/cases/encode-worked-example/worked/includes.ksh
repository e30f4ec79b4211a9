' The worked example of the encoder: a command with a byte, a word and a pointer.
#addcmmd cmd 0x20
#addparm 0
#addparm 1
#addparm 3
#addcmmd stop 0x21 ' No parameters: the command byte alone
#do
