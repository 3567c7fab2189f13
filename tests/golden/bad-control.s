     * DECLARATIVES AND CONTROL STATEMENTS WITH ERRORS
     START     CS   332
               CHAINX                 NOT A NUMBER
               CHAIN2                 AFTER A CHAIN
               SW   FLD
               CHAIN0                 ZERO
               ENT                    CODING MODE
               ALTER5
               DELET5
               INSER5
               ORG  500&X1            INDEXING NOT PERMITTED
               ORG  @ABC@             IMPROPER OPERAND FORM
               XFR  @X@
     WORK      DS   X
     WORK2     DS   5X
     ADR       DSA  @X@
     ADR2      DSA  FLD*
     ADR3      DSA  FLD&5X
     ADR4      DSA  -FLD              MINUS NAME: NO MESSAGE
     CON       DCW  *
     CON2      DC   %U1
     AREA      DA   3Y10              NO X: NO MESSAGE
     AREA2     DA   3X10,C,C          C TWICE
     EQ1       EQU  5,6               TWO OPERANDS
     EQ2       EQU  @X@
               MCW  WA#5,201
               MCW  WA#6,202          SAME AREA NAME IN ONE POOL
               H    START
     FLD       DCW  @XYZ@
               END  @X@
