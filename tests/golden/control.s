               JOB  GOLDEN TEST OF THE CONTROL STATEMENTS                  CTL01
               CTL  611
     * INIT RUNS WHILE THE DECK IS STILL LOADING (EX), THEN READS ON
     INIT      CS   332
               CS
               MCW  @LOADING@,207     LITERAL PLACED BY THE EX
               W
               R    40                READ THE NEXT CARD
               EX   INIT
     * THE MAIN PROGRAM
     START     CS   332
               CS
               MCW  @ABC@,203         A 3-CHARACTER LITERAL
               MCW  @ABC@,206         IS STORED ONCE,
               MCW  @ABCDE@,211       A 5-CHARACTER ONE
               MCW  @ABCDE@,216       TWICE
               A    &1,COUNT          NUMERIC LITERAL
               MCW  COUNT,220
               MCW  &MSG,223          ADDRESS OF MSG
               MCW  &@XYZ@,226        ADDRESS OF A LITERAL
               MCW  AREA#5,231        AREA-DEFINING LITERAL
               B    PRINT
     POOL1     LTORG                  THE LITERALS SO FAR
               ORG  1234&X00          ROUNDED UP TO 1300
     PRINT     MCW  MSG,240
               W
               B    PART3A            THE SUFFIXED LABEL BELOW
     MSG       DCW  @AT 1300@
               ORG  600               BACK DOWN
     SHOW      CS   332
               CS
               MCW  XFRMSG,204
               W
               R    40
     XFRMSG    DCW  @XFR@             ALSO ENDS THE R WITH A WORD MARK
               XFR  SHOW              NO LITERAL POOL HERE
               SFX  A
     PART3     SW   WMARKS            DEFINES PART3A
               CHAIN2                 TWO MORE SW
               MCW  @ABC@,243         AFTER THE POOL: A NEW RECORD
               B    DONE
     DONE      W                      DONEA
               SFX
               H    START
               ORG                    PAST THE HIGHEST SO FAR
     COUNT     DCW  00
     WMARKS    DCW  @ABC@             6 LETTERS: NO SUFFIX
               END  START
