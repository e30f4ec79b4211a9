' Shared part of the test codesets: the character table of their texts.
#addctrl ~ finish
#addtext ~ 0xFF
#addtext A 0x41
#addtext B 0x42
