     * PAGES: PRINTS FIVE NUMBERED LINES, THEN A TOTAL LINE.
     * ASSEMBLED WITH A PAGE LENGTH OF 20 LINES AND THE IBM LOADER
     * FOR A 4000-POSITION 1401.
     *
     * CLEAR THE PRINT AREA ONCE
     START     CS   332
               CS
     * THE LOOP
     LOOP      A    ONE,COUNT         COUNT THE LINE
               A    STEP,TOTAL        ADD TEN TO THE TOTAL
               MCW  COUNT,203         LINE NUMBER
               MCW  TEXT,215
               MCW  TOTAL,222
               W
               C    COUNT,LIMIT       DONE FIVE?
               BU   LOOP
     * THE TOTAL LINE
               CS   332
               CS
               MCW  TTEXT,209
               MCW  TOTAL,222
               W
               H    START
     * CONSTANTS
     ONE       DCW  01
     STEP      DCW  010
     LIMIT     DCW  05
     COUNT     DCW  00
     TOTAL     DCW  000
     TEXT      DCW  @ LINE OF TEN@
     TTEXT     DCW  @TOTAL@
     * SPARE STORAGE, NOT USED BY THE LOOP
     SPARE1    DS   10
     SPARE2    DS   10
     SPARE3    DS   10
     SAVE1     DSA  START
     SAVE2     DSA  LOOP
     SAVE3     DSA  COUNT
     SAVE4     DSA  TOTAL
     SAVE5     DSA  TEXT
     SAVE6     DSA  TTEXT
               END  START
