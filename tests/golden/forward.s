     * FORWARD REFERENCES THAT ONLY PASS 2 CAN RESOLVE: AN ORG TO A
     * SYMBOL DEFINED LATER, LITERALS AND AN AREA PLACED AFTER IT, AND
     * A CHAIN OF EQUATES THAT NEEDS THREE SWEEPS.
     START     CS   332
               CS
               B    WORK
     ALIAS     EQU  BETA&2            BETA IS NOT KNOWN YET
     BETA      EQU  GAMMA
               ORG  HIGH              HIGH IS EQUATED BELOW
     WORK      MCW  @ABC@,203
               MCW  TBL,210
               MCW  ALIAS,215
               W
               H    START
     GAMMA     DCW  @GAMMA@
     POOL      LTORG*                 AT THE LOCATION REACHED
     TBL       DA   2X5,C
     TF             2,4
     HIGH      EQU  800
               END  START
