' menu 1 and menu 2 are followed by the two bytes of menuitems; any word of
' jump binds the command target, whose word follows.
#addcmmd menu 0x0F ' Open a menu
#addparm 0 bind(1,2)menuitems
#addcmmd menuitems 0x1F ' Two items
#addparm 0
#addparm 0
#addcmmd jump 0x20 ' A kind, then a target word
#addparm 0 bind(*)target
#addcmmd target 0x21 ' A word
#addparm 1
#do
