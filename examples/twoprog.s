     * TWOPROG: TWO PROGRAMS IN ONE INPUT, EACH WITH ITS OWN JOB CARD
     * AND END, ASSEMBLED AS TWO JOBS INTO ONE DECK AND ONE TAPE. THE
     * FIRST PRINTS A LINE AND LOADS THE SECOND, WHICH FOLLOWS IT ON THE
     * SAME CARDS OR TAPE; THE SECOND PRINTS ITS OWN LINE AND HALTS.
               JOB  TWO PROGRAMS, THE FIRST                                PROG1
     * THE END CARD CLEARS 001-080, SO THE FIRST PROGRAM NOTES WHERE IT
     * IS LOADED FROM WHILE IT IS STILL LOADING (EX): FROM TAPE THE
     * BOOTSTRAP RECORD IS IN 001-005; FROM CARDS COLUMN 40 OF THE CARD
     * LAST READ IS N AFTER A NORMAL EX AND L AFTER A QUICK ONE.
     PROBE     MCW  5,MEDIUM
               C    MEDIUM,@U%U1B@
               BE   PTAPE
               BCE  PQUICK,40,L
               R    40                  RESUME FROM CARDS
     PQUICK    R    1
     PTAPE     RTW  1,1                 RESUME FROM TAPE
               B    7
     MEDIUM    DCW  #5
               EX   PROBE
     START     CS   332
               CS
               MCW  @PROGRAM ONE@,211
               W
               C    MEDIUM,@U%U1B@
               BE   NTAPE
               SW   1                   CARDS: READ THE SECOND DECK'S
               R    1                   FIRST CARD, GO TO 001
     NTAPE     RTW  1,1                 TAPE: ITS CLEAR-STORAGE RECORD
               B    1
               END  START
               JOB  TWO PROGRAMS, THE SECOND                               PROG2
               ORG  500                 AWAY FROM WHERE THE FIRST WAS
     START     CS   332
               CS
               MCW  @PROGRAM TWO@,211
               W
               H
               END  START
