     * A FIELD CARD BEYOND STORAGE COUNTS TOWARD THE STORAGE LIMIT
     START     CS   332
               ORG  15990
               DA   1X5
     F              12,15
               END  START
