     * STORAGE LIMITS: CODE IN THE READ AREA (ALLOWED ONLY WITH -A)
     * AND A CONSTANT AT THE TOP OF A 16000-POSITION STORAGE
               ORG  40                INSIDE THE READ AREA
     LOW       MCW  TOP,205
               W
               SW   60
               DCW  @AB@
               ORG  15996
     TOP       DCW  @LAST@            ENDS AT 15999
               END  LOW
