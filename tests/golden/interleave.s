     * INTERLEAVE: THE OBJECT CARDS ARE LISTED AFTER THE STATEMENTS
     * THAT FILL THEM. QUICK EX AND END, QUEUED WORD MARKS, TWO-CARD
     * BOOT THAT CLEARS STORAGE.
     NOTE      CS   332               RUNS DURING THE LOAD
               CS
               MCW  @LOADING@,208
               W
               R    1                 QUICK EX: READ INTO 001
               EX   NOTE
     START     CS   332
               CS
               MCW  WORD,205          THE LAST FIELD ONLY
               W
               H    START
     * ONE-CHARACTER FIELDS: MORE WORD MARKS THAN A CARD HAS SLOTS
               DCW  @W@
               DCW  @O@
               DCW  @R@
               DCW  @D@
               DCW  @S@
               DCW  @ @
               DCW  @O@
               DCW  @N@
               DCW  @E@
     WORD      DCW  @!@
               END  START
