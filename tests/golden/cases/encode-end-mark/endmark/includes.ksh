' A type 4 parameter ends the parameter list.
#addcmmd end 0x00 ' End of a script
#addparm 4
#addcmmd last 0x40 ' A byte, the end mark, then a word that is never written
#addparm 0
#addparm 4
#addparm 1
#do
