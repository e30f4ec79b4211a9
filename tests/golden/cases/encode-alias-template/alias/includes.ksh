' An alias whose first word is also a command keyword.
#addcmmd setflag 0x02 ' Set a flag
#addparm 1
#addcmmd show 0x30 ' Show one value
#addparm 0
#addcmmd face 0x0A ' Turn an actor
#addparm 0
#addparm 0
#ALIAS Show $1 AT $2 ' Two values as bytes after a setflag byte
#addparm 7 setflag
#addparm 0
#addparm 0
#alias turnleft $1 ' face actor 1
#addparm 7 face
#addparm 0
#addparm 0 1
#do
