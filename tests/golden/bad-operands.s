     * OPERANDS THAT THE OPERAND PARSER REJECTS
     START     MCW  FLD,,201          EMPTY OPERAND
               MCW  FLD-X1,201        NEGATIVE INDEX
               MCW  FLD&X4,201        NO INDEX REGISTER 4
               MCW  FLD&Q,201
               MCW  FLD&,201          NOTHING AFTER THE SIGN
               MCW  FLD*,201
               MCW  FLD#,201          AREA WITHOUT A SIZE
               MCW  *#5,201
               MCW  #A,201
               MCW  #5X,201
               MCW  &,201
               MCW  @ABC@X,201
               MCW  %U1X,201
               MCW  5A,201            TEXT AFTER A NUMBER
               MCW  FLD&5-3,201       MINUS AFTER AN OFFSET
               MCW  ((,201
               MCW  @@,201            EMPTY CHARACTER LITERAL
               H    START
     FLD       DCW  @XYZ@
               END  START
