' A word, a byte and a fixed byte: a line that lacks a word is an error and
' compiles nothing, so no later value moves into the field of a missing one.
#addcmmd trio 0x40
#addparm 1
#addparm 0
#addparm 0 0x55
#do
