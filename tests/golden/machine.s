     * MACHINE: EVERY FORM OF MACHINE INSTRUCTION, 1 TO 8 CHARACTERS
     START     CS   332               A-ADDRESS ONLY: 4
               CS                     CHAINED, NO OPERAND: 1
               SW   FLD1,FLD2         A AND B: 7
               MCW  FLD1,FLD2
               MLC  FLD1-2,FLD2&3     OFFSETS
               MCW  TABLE&X1,FLD2     INDEX REGISTER 1
               A    FLD1,TABLE&5&X2   OFFSET AND INDEX 2
               ZA   0&X3,FLD2         NUMBER WITH INDEX 3
               MCW  *-6,FLD2          ASTERISK: LAST CHAR OF THIS
               B    *&5               4 CHARACTERS: * IS OP + 3
     * BRANCHES
     LOOP      BCE  START,FLD1,A      A, B AND D: 8
               BWZ  LOOP,FLD2,B
               BM   LOOP,FLD1         FIXED D-MODIFIER K: 8
               B    LOOP              4
               B    LOOP,9            SECOND OPERAND IS D: 5
               BE   LOOP              FIXED S: 5
               BCV  LOOP              FIXED @
               BC9  LOOP              FIXED 9
               BIN  LOOP,U            D REQUIRED: 5
               BAV  LOOP
     * D-MODIFIER ONLY, AND NO OPERANDS
               SS   1                 2
               CC   L                 2
               PCB                    FIXED D, NO OPERAND: 2
               WM                     2
               WM   201               A AND FIXED D: 5
               R                      1
               R    LOOP              4
               P
               W
               NOP
               NOP  LOOP,FLD1         7
               SBR  SAVE              4
               SBR  SAVE,LOOP         7
               C    FLD1,FLD2
               H    START             4
     * DEVICES: TAPE UNIT IN THE A-ADDRESS
               RT   1,BUF             M%U1 BUF R: 8
               WT   %U2,BUF           DEVICE OPERAND
               RTW  TAPE,BUF          SYMBOL EQUATED TO %U3
               RWD  1                 5
               BSP  2
               SKP  3
               WTM  1
               CU   %U1,M             D REQUIRED
     * DIRECT CODING: OPERATION IN COLUMN 19, D-MODIFIER IN 20
                  M FLD1,FLD2         7
                  B LOOP,FLD1         A AND B: 7
                  BSLOOP              D FROM COLUMN 20: 5
                  VKLOOP,FLD1         8
                  2                   1
                  B"LOOP              GROUP-MARK D-MODIFIER
               H
     FLD1      DCW  @ABCDE@
     FLD2      DCW  @FGHIJ@
     TABLE     DCW  @0123456789@
     SAVE      DCW  000
     BUF       DS   100
     TAPE      EQU  %U3
               END  START
