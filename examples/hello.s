     * HELLO: CLEARS THE PRINT AREA, MOVES A MESSAGE INTO IT,
     * PRINTS ONE LINE AND HALTS.
     START     CS   332               CLEAR 332-300
               CS                     CHAINED: 299-200
               MCW  MSG,211           MESSAGE TO 201-211
               W                      PRINT 201-332
               H                      STOP
     MSG       DCW  @HELLO WORLD@
               END  START
