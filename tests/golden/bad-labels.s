     * BAD LABELS AND OPERATION CODES
     START     CS   332
     $BAD      CS                     INVALID LABEL
     LOOP  X   MCW  START,201          JUNK IN COLUMNS 12-15: A WARNING
               MOVE START,201         UNRECOGNIZED: NO RECORD, NOT LISTED
                MCW START,201         MNEMONIC MUST START IN COLUMN 16
     START     W                      DUPLICATE LABEL
     LABEL77   H                       SEVEN LETTERS: INTO COLUMN 12
               H    LOOP
                    5                 FIELD CARD NOT AFTER A DA
               END  START
