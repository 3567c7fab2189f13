     * EXRESUME: AN EX IN THE MIDDLE OF THE PROGRAM. THE FIRST PART RUNS
     * WHILE THE DECK IS STILL LOADING: IT PRINTS, LEAVES A NOTE IN
     * STORAGE AND RESUMES THE LOAD. THE SECOND PART, LOADED AFTERWARDS,
     * PRINTS ITS OWN LINE AND THE NOTE, AND HALTS. THE NOTE IS A DA
     * WORK AREA, THE LAST THING LOADED BEFORE THE EX.
     PART1     CS   332
               CS
               MCW  @PART ONE RUNS DURING THE LOAD@,229
               W
               MCW  @LEFT BY PART ONE@,NOTE
     * RESUME THE LOAD FROM WHERE THE PROGRAM CAME FROM. FROM TAPE THE
     * BOOTSTRAP RECORD IS STILL IN 001-005: READ IT AGAIN INTO 001 AND
     * ENTER IT AT 007. FROM CARDS THE CARD IN THE READ AREA HOLDS N IN
     * COLUMN 40 AFTER A NORMAL EX (READ THE NEXT CARD, GO TO 040) AND L
     * AFTER A QUICK ONE (READ THE NEXT CARD, GO TO 001).
               C    5,@U%U1B@           BOOTSTRAP RECORD IN 001-005
               BE   TAPE
               BCE  QUICK,40,L
               R    40
     QUICK     R    1
     TAPE      RTW  1,1
               B    7
               LTORG                    LITERALS BEFORE THE WORK AREA
     WORK      DA   1X16,C              ONE 16-CHARACTER RECORD
     NOTE           1,16
               EX   PART1
     PART2     CS   332
               CS
               MCW  @PART TWO, LOADED AFTERWARDS@,227
               W
               CS   332
               CS
               MCW  NOTE,216
               W
               H
               END  PART2
