     * LOOKUP: FINDS THE NAME OF EACH PART NUMBER IN A TABLE. INDEX
     * REGISTER 1 WALKS THE TABLE (13 CHARACTERS AN ENTRY), INDEX
     * REGISTER 2 THE LIST OF PART NUMBERS TO LOOK UP.
     START     SW   87,92             FIELD MARKS FOR X1 (087-089), X2 (092-094)
               MCW  @000@,94          X2: THE FIRST PART NUMBER
     NEXT      CS   332
               CS
               MCW  KEYS&X2,203       PART NUMBER TO 201-203
               MCW  @000@,89          X1: THE FIRST TABLE ENTRY
     LOOK      C    KEYS&X2,CODES&X1
               BE   FOUND
               A    @013@,89          X1: THE NEXT ENTRY
               C    @065@,89          PAST THE FIFTH AND LAST?
               BU   LOOK
               MCW  @NOT FOUND@,214
               B    PRINT
     FOUND     MCW  NAMES&X1,215      THE ENTRY'S NAME TO 206-215
     PRINT     W
               A    @003@,94          X2: THE NEXT PART NUMBER
               C    @012@,94          PAST THE FOURTH AND LAST?
               BU   NEXT
               H
     * PART NUMBERS TO LOOK UP, 3 CHARACTERS EACH.
     KEYS      DCW  @203@
               DCW  @117@
               DCW  @999@
               DCW  @105@
     * THE TABLE: 5 ENTRIES OF A PART NUMBER AND A 10-CHARACTER NAME.
     CODES     DCW  @101@
     NAMES     DCW  @BOLTS     @
               DCW  @105@
               DCW  @NUTS      @
               DCW  @117@
               DCW  @WASHERS   @
               DCW  @203@
               DCW  @SCREWS    @
               DCW  @240@
               DCW  @RIVETS    @
               END  START
