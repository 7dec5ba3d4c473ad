; Checks of a downloaded copy of the test server's generated body (tests/server/README.md): byte
; OFFSET is ((OFFSET % 65521) + (OFFSET % 65521) / 251) % 256. Needs MskTest.nsh.

; ${ExpectGeneratedBody} PATH SIZE -- the file PATH holds SIZE bytes of the generated body.
!macro ExpectGeneratedBody path size
  ClearErrors
  FileOpen $0 `${path}` r
  ${MskCheck} $0 != "" "opening the downloaded file"
  FileSeek $0 0 END $1
  ${MskCheck} $1 == ${size} "size of the downloaded file"
  ; Around the period's and the step's edges, and the last byte.
  !insertmacro ExpectByteAt 0
  !insertmacro ExpectByteAt 250
  !insertmacro ExpectByteAt 251
  !insertmacro ExpectByteAt 65520
  !insertmacro ExpectByteAt 65521
  IntOp $1 ${size} - 1
  !insertmacro ExpectByteAt $1
  FileClose $0
!macroend
!define ExpectGeneratedBody "!insertmacro ExpectGeneratedBody"

; Byte OFFSET of the open file $0 is the generated one.
!macro ExpectByteAt offset
  FileSeek $0 ${offset} SET
  FileReadByte $0 $2
  IntOp $3 ${offset} % 65521
  IntOp $4 $3 / 251
  IntOp $3 $3 + $4
  IntOp $3 $3 % 256
  ${MskCheck} $2 == $3 "byte ${offset} of the downloaded file"
!macroend
