' Shared definitions of every Lumen-family codeset: the character table, the
' control markers of texts, and the code names of special characters.
' Loaded by #boot and #codeset before the codeset's own includes.ksh.

' Control markers: @ starts a two-character code name (@p), @x two hex digits
' of a raw byte (@x3F), [ and ] enclose a bracketed code name ([player]),
' [var] makes the next byte raw when decoding, ~ ends every text.
#addctrl @ hash
#addctrl @x hex
#addctrl [ start
#addctrl ] end
#addctrl [var] var
#addctrl ~ finish

' Code names
#addhash @p 0xF0
#addhash @n 0xFE
#addhash [player] 0xF1
#addhash [rival] 0xF2
#addhash [var] 0xFD

' Characters: space, punctuation, digits, letters. The finish marker ~ is
' the terminator byte FF. Space, ";" and "'" are written as hex codes.
#addtext #20 0x00
#addtext ~ 0xFF
#addtext ! 0x01
#addtext ? 0x02
#addtext . 0x03
#addtext , 0x04
#addtext - 0x05
#addtext #27 0x06
#addtext 0 0x10
#addtext 1 0x11
#addtext 2 0x12
#addtext 3 0x13
#addtext 4 0x14
#addtext 5 0x15
#addtext 6 0x16
#addtext 7 0x17
#addtext 8 0x18
#addtext 9 0x19
#addtext A 0x20
#addtext B 0x21
#addtext C 0x22
#addtext D 0x23
#addtext E 0x24
#addtext F 0x25
#addtext G 0x26
#addtext H 0x27
#addtext I 0x28
#addtext J 0x29
#addtext K 0x2A
#addtext L 0x2B
#addtext M 0x2C
#addtext N 0x2D
#addtext O 0x2E
#addtext P 0x2F
#addtext Q 0x30
#addtext R 0x31
#addtext S 0x32
#addtext T 0x33
#addtext U 0x34
#addtext V 0x35
#addtext W 0x36
#addtext X 0x37
#addtext Y 0x38
#addtext Z 0x39
#addtext a 0x40
#addtext b 0x41
#addtext c 0x42
#addtext d 0x43
#addtext e 0x44
#addtext f 0x45
#addtext g 0x46
#addtext h 0x47
#addtext i 0x48
#addtext j 0x49
#addtext k 0x4A
#addtext l 0x4B
#addtext m 0x4C
#addtext n 0x4D
#addtext o 0x4E
#addtext p 0x4F
#addtext q 0x50
#addtext r 0x51
#addtext s 0x52
#addtext t 0x53
#addtext u 0x54
#addtext v 0x55
#addtext w 0x56
#addtext x 0x57
#addtext y 0x58
#addtext z 0x59

' Names for actors, usable in every command.
#define hero 1
#define rival 2
#define shopkeeper 3
