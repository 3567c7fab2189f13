     * SUBR: A SUBROUTINE THAT NUMBERS AND PRINTS A LINE. THE BRANCH TO
     * IT LEAVES THE RETURN ADDRESS IN THE B-ADDRESS REGISTER; SBR STORES
     * IT INTO THE SUBROUTINE'S CLOSING BRANCH.
     START     CS   332
               CS
               MCW  @FIRST CALL@,214
               B    PRLINE
               MCW  @SECOND CALL@,215
               B    PRLINE
               MCW  @THIRD CALL@,214
               B    PRLINE
               H
     * PRLINE: PRINTS 201-332 WITH A LINE NUMBER IN 201-202, THEN CLEARS IT.
     PRLINE    SBR  PREXIT&3          RETURN ADDRESS INTO THE BRANCH BELOW
               A    @1@,COUNT
               MCW  COUNT,202
               W
               CS   332
               CS
     PREXIT    B    0                 BACK TO THE CALLER
     COUNT     DCW  00
               END  START
