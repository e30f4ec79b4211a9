' Lumen: the script engine of a fictional handheld adventure game.
' Commands of the bytecode; see README.md beside this file.

#addcmmd end 0x00 ' End of a script
#addparm 4
#addcmmd wait 0x01 ' Wait a number of frames
#addparm 0
#addcmmd setflag 0x02 ' Set a story flag
#addparm 1
#addcmmd give 0x03 ' Give an item
#addparm 1
#addparm 0
#addcmmd money 0x04 ' Add money
#addparm 2
#addcmmd goto 0x05 ' Continue at another script
#addparm 3
#addcmmd call 0x06 ' Run another script and return
#addparm 3
#addcmmd if 0x07 ' Continue at target when the flag is set
#addparm 1
#addparm 3
#addcmmd say 0x08 ' Show a text
#addparm 8
#addcmmd walk 0x09 ' Move an actor along movement data
#addparm 0
#addparm 9
#addcmmd face 0x0A ' Turn an actor: 0 down, 1 left, 2 up, 3 right
#addparm 0
#addparm 0
#addcmmd choice 0x0B ' Offer a choice (five option bytes)
#addparm 5
#addcmmd pad 0x0C ' An alignment byte
#addparm 6 0
#addcmmd pause 0x0D ' Wait, written as a wait command byte and its frames
#addparm 7 wait
#addparm 0
#addcmmd music 0x0E ' Play track 0 to 3
#addparm 0 select(0x40,0x41,0x42,0x43)
#addcmmd menu 0x0F ' Open a menu; menu 2 is followed by two item bytes
#addparm 0 bind(1,2)menuitems
#addcmmd menuitems 0x1F ' The two items of a shop menu
#addparm 0
#addparm 0
#addcmmd sound 0x10 ' Play a sound at full volume
#addparm 0
#addparm 0 0x7F
#addcmmd label 0x11 ' Show a label text (ten-byte text field)
#addparm 10

' Aliases. "turnleft 1" compiles as "face 1 1"; the decompiler restores it.
#alias turnleft $1 ' Turn an actor to the left
#addparm 7 face
#addparm 0
#addparm 0 1
' "show 7 at 9" compiles as "setflag" with the two values as bytes.
#alias show $1 at $2 ' Two values as bytes after a setflag byte
#addparm 7 setflag
#addparm 0
#addparm 0

' Parameter words: for face's second parameter, and for any music track.
#define down 0 face[2]
#define left 1 face[2]
#define up 2 face[2]
#define right 3 face[2]
#define town 0 music
#define forest 1 music
#define cave 2 music
#define castle 3 music
#do
