' select: the word picks an entry of the list, counting from 0.
#addcmmd pick 0x0E ' One of three values
#addparm 0 select(10,20,30)
#addparm 0
#do
