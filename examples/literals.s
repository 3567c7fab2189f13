     * LITERALS: CHARACTER AND NUMERIC LITERALS, AN ADDRESS-CONSTANT
     * LITERAL LOADED INTO INDEX REGISTER 1 (087-089, NAMED BY AN EQU),
     * AN INDEXED OPERAND THAT WALKS A TABLE, AND ARITHMETIC ON NUMERIC
     * FIELDS. PRINTS EACH TABLE ENTRY, THEN ONE LINE OF RESULTS.
     INDEX1    EQU  89                  INDEX REGISTER 1, UNITS POSITION
     START     CS   332                 CLEAR THE PRINT AREA
               CS
               MCW  &FRUIT1,INDEX1      X1 = ADDRESS OF THE FIRST ENTRY
               SW   INDEX1-2            X1 AS A FIELD FOR A AND C
     NEXT      MCW  0&X1,205            THE ENTRY X1 POINTS AT
               W
               A    &1,COUNT            COUNT THE ENTRIES
               C    INDEX1,&FRUIT3      WAS IT THE LAST ONE
               BE   TOTALS
               A    &5,INDEX1           NEXT ENTRY, 5 POSITIONS ON
               B    NEXT
     TOTALS    A    &25,SUM             0100 + 25
               S    &7,SUM              - 7: 0118 WITH A PLUS ZONE
               MZ   @0@,SUM             DROP THE ZONE FOR PRINTING
               ZA   SUM,BAL
               S    &200,BAL            118 - 200 = -82
               CS   332
               CS
               MCW  @ITEMS@,205
               MCW  COUNT,208
               MCW  @TOTAL@,214
               MCW  SUM,219
               MCW  @BALANCE@,227
               MCW  BAL,232             MINUS ZONE: 2 PRINTS AS K
               W
               H
     FRUIT1    DCW  @APPLE@
               DCW  @PEACH@
     FRUIT3    DCW  @LEMON@
     COUNT     DCW  00
     SUM       DCW  0100
     BAL       DCW  0000
               END  START
