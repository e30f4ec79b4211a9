' Words: global, for every parameter of one command, for one parameter only.
#addcmmd face 0x0A ' Turn an actor
#addparm 0
#addparm 0
#addcmmd music 0x0E ' Play a track
#addparm 0
#define hero 1
#define rival 2
#define down 0 face[2]
#define left 1 face[2]
#define up 2 face[2]
#define town 4 music
#define cave 0x07 music
#do
