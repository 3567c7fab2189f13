     * AN AREA OF 4 RECORDS OF SIZE 0: ONE WORD MARK PER RECORD, ALL AT 500
     START     CS   332
               CS
               ORG  500
     AREA      DA   4X0,G
     F              1,2
               DCW  @X@
               H    START
               END  START
