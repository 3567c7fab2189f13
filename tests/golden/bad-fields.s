     * A-, B- AND D-FIELD ERRORS OF MACHINE INSTRUCTIONS
     START     B    START&X5          A FIELD REQUIRED AFTER THE BAD OPERAND
               BIN  START             D FIELD REQUIRED
               BBE  START             B AND D FIELDS REQUIRED
               BE   START,FLD         B FIELD NOT ALLOWED
               BAV  START,FLD,Z
               CS   FLD,FLD,1         D FIELD NOT ALLOWED
               BM   START,FLD,K       FIXED D: NO D OPERAND
               MCW  FLD,FLD,AB        D MODIFIER TOO LONG
               BIN  START,AB
               MCW  @,FLD             A LONE AT SIGN
               MCW  FLD,(             BAD B FIELD
               NOP  FLD,FLD,A,B,C     TOO MANY OPERANDS
               NOP  FLD,FLD,A,B       FOUR OPERANDS: NO MESSAGE
               H    START
     FLD       DCW  @XYZ@
               END  START
