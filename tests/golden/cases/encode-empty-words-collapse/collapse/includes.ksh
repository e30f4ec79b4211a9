' A word, a byte and a fixed byte: missing words leave empty fields, which
' are dropped, so the values after them move up one field.
#addcmmd trio 0x40
#addparm 1
#addparm 0
#addparm 0 0x55
#do
