     * AN AREA LABEL REPEATED IN A POOL AT AN UNDEFINED LOCATION
     A         NOP
               MCW  A#5
               ORG  FWD
               LTORG*
     FWD       EQU  700
               END
