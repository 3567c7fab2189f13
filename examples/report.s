     * REPORT: READS ONE CARD PER ITEM (NAME IN COLUMNS 1-20, AMOUNT IN
     * CENTS IN 21-27, A MINUS ZONE OVER THE LAST DIGIT FOR A CREDIT),
     * PRINTS EACH ITEM WITH ITS AMOUNT EDITED, THEN THE TOTAL.
     START     SW   1,21              FIELD MARKS IN THE READ AREA
               CS   332               CLEAR THE PRINT AREA
               CS
     READ      R                      NEXT CARD INTO 001-080
               MCW  20,220            NAME TO 201-220
               A    27,TOTAL          ADD THE AMOUNT (21-27) TO THE TOTAL
               LCA  EDIT,235          EDIT WORD TO 225-235
               MCE  27,235            AMOUNT INTO THE EDIT WORD
               W
               CS   332
               CS
               BLC  LAST              THAT WAS THE LAST CARD
               B    READ
     LAST      MCW  @TOTAL@,205
               LCA  EDITT,235         A LONGER EDIT WORD FOR THE TOTAL
               MCE  TOTAL,235
               W
               H
     TOTAL     DCW  00000000
     EDIT      DCW  @  ,  0.  CR@
     EDITT     DCW  @ ,   ,  0.  CR@
               END  START
