     * EQU LISTS WHAT ITS OPERAND GIVES, WITH THE OPERAND'S OWN INDEX MARK
     START     CS   332
     AR        DA   1X10,X2
     E         EQU  AR
     EX        EQU  AR&X3
     A         NOP
     A         EQU  600
               H    START
               END  START
