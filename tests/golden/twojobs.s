               JOB  FIRST OF TWO PROGRAMS                                  ONE01
     * PRINTS ONE LINE; EACH PROGRAM HAS ITS OWN TABLES AND LOCATIONS
     START     CS   332
               CS
               MCW  @FIRST@,205
               W
               H    START
               END  START
               JOB  SECOND OF TWO PROGRAMS                                 TWO01
     START     CS   332               THE SAME NAME AGAIN
               CS
               MCW  MSG,206
               W
               H    START
     MSG       DCW  @SECOND@
               END  START
     *
