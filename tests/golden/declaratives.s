     * DECLARATIVES: CONSTANTS, STORAGE, ADDRESSES, AREAS AND EQUATES
     START     MCW  CHARS,NAME        FILL THE FIRST RECORD
               MCW  FWD,LINE
               H    START
     * NUMERIC CONSTANTS: THE SIGN GOES INTO THE ZONE OF THE UNITS DIGIT
     NEG       DCW  -123              MINUS: 12L
     PLUS      DCW  &120              PLUS: 12?
     FIVE      DCW  &5                E
     PLAIN     DCW  123               NO SIGN, NO ZONE
     NOWM      DC   -45               DC: NO WORD MARK
     * CHARACTER CONSTANTS AND BLANKS
     CHARS     DCW  @HELLO, WORLD@    COMMA AND BLANK INSIDE
     AT        DCW  @A@B@             AN AT SIGN INSIDE
     GM        DCW  @"@               GROUP MARK
     TEXT      DC   @NO MARK@
     BLANKS    DCW  #5                FIVE BLANKS
               DC   #3
     * ADDRESS CONSTANTS
     ADR       DCW  &CHARS            ADDRESS OF CHARS
     ADROFF    DCW  &CHARS&5
     ADRX      DCW  &CHARS&X1         WITH INDEX REGISTER 1
     COMP      DCW  -CHARS            COMPLEMENT: 16000 LESS
     SYMADR    DC   CHARS             A NAME ALONE
     LITADR    DCW  &@LITERAL@        ADDRESS OF A LITERAL
     900       DCW  @ABCDE@           AT 896-900, NO SPACE HERE
     * STORAGE AND SYMBOLIC ADDRESSES
     WORK      DS   20
     NONE      DS   0                 RESERVES NOTHING
     ADDR1     DSA  CHARS
     ADDR2     DSA  *                 ITS OWN LAST POSITION
     ADDR3     DSA  1000
     ADDR4     DSA  CHARS-3
     ADDR5     DSA  WORK&X2
     * AREAS: 3 RECORDS OF 12, INDEX 1, CLEARED, GROUP MARK, RECORD MARKS
     TABLE     DA   3X12,X1,C,G,'
     NAME           1,8               FIELD: ADDRESSED BY ITS END
     CODE           9,12
     FLAG           10                ONE POSITION
     REC       DA   2X30,X2
     LINE           1,20
     2000      DA   2X10              AT AN EXPLICIT ORIGIN
     F2000          1,5
     * EQUATES
     TEN       EQU  10
     HERE      EQU  *                 LAST POSITION SO FAR
     ALIAS     EQU  CHARS
     ALIAS2    EQU  CHARS&2
     XR1       EQU  89&X1             WITH INDEX REGISTER 1
     TAPE      EQU  %U1               A TAPE UNIT
     FWD       EQU  LATER             DEFINED FURTHER ON
     LATER     DCW  @Z@
     LONG      DC   @A CONSTANT OF 44 CHARACTERS: NEEDS TWO CARDS@
               END  START
