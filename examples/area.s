     * AREA: A TABLE OF THREE 12-CHARACTER RECORDS DEFINED WITH DA AND
     * FIELD CARDS: CLEARED TO BLANKS (C), A RECORD MARK AFTER EACH
     * RECORD, A GROUP MARK AFTER THE LAST (G), FIELDS INDEXED BY X1
     * (087-089). MCW FILLS THE FIELDS RECORD BY RECORD; EACH LINE THEN
     * SHOWS A RECORD'S FIELDS (MCW STOPS AT THE FIELD WORD MARKS) AND
     * THE WHOLE RECORD UP TO AND WITH ITS RECORD MARK (MCM). THE GROUP
     * MARK IS PRINTED LAST, ONCE THROUGH X1 AND ONCE AS THE LEFT END OF
     * A DC RIGHT AFTER THE AREA: WITHOUT A WORD MARK OF ITS OWN, THAT
     * FIELD EXTENDS TO THE GROUP MARK'S.
     START     CS   332
               CS
               SW   87                  X1 AS A FIELD FOR A AND C
               MCW  ZERO,89             X1 = 0: FIRST RECORD
               MCW  @ALPHA   @,NAME
               MCW  @0101@,CODE
               A    RECLEN,89           NEXT RECORD
               MCW  @BRAVO   @,NAME
               MCW  @0202@,CODE
               A    RECLEN,89
               MCW  @CHARLIE @,NAME
               MCW  @0303@,CODE
               MCW  ZERO,89
     PRINT     CS   332
               CS
               MCW  CODE,204            EACH FIELD ENDS AT A WORD MARK
               MCW  NAME,213
               MCM  TABLE,216           THE RECORD AND ITS RECORD MARK
               W
               A    RECLEN,89
               C    89,ENDOFF           PAST THE LAST RECORD
               BU   PRINT
               CS   332
               CS
               MCW  @AREA ENDS WITH@,214
               MCW  TABLE,216           X1 NOW POINTS AT THE GROUP MARK
               W
               CS   332
               CS
               MCW  TAIL,217            THE DC AND THE GROUP MARK
               W
               H
     ZERO      DCW  000
     RECLEN    DCW  013                 RECORD AND RECORD MARK
     ENDOFF    DCW  039
               LTORG                    LITERALS BEFORE THE AREA
     TABLE     DA   3X12,X1,C,G,'
     NAME           1,8
     CODE           9,12
     TAIL      DC   @ CLOSES THE AREA@
               END  START
