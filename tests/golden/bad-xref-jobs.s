               JOB  FIRST PROGRAM: MOVES AND A TABLE
     START     CS   332                 CLEAR THE PRINT AREA
               CS
     LOOP      A    @1@,COUNT           COUNT = COUNT + 1
               MCW  COUNT,201
               MCW  @TOTAL@,TITLE
               W
               C    COUNT,LIMIT
               BU   LOOP
               B    LATER               NEVER DEFINED
               H    START
     COUNT     DCW  0
     LIMIT     DCW  @3@
     TITLE     DS   5
               END  START
               JOB  SECOND PROGRAM: AN AREA AND FIELDS
               ORG  500
     BEGIN     MCW  @ABC@,NAME
               ZA   &5,AMOUNT
               MCW  BUF#10,300          AN AREA LITERAL
               H    BEGIN
     ADDR      DSA  BEGIN
     REC       DA   2X20,G
     NAME           1,5
     AMOUNT         6,10
               LTORG
               END  BEGIN
