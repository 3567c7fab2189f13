     * A COMPLETE PROGRAM, THEN ONE WHOSE END CARD IS MISSING
     START     CS   332
               H    START
               END  START
     * THE SECOND PROGRAM IS NOT ASSEMBLED
     BEGIN     MCW  @LOST@,205
               H    BEGIN
