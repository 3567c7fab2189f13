               ORG  150                 INTO THE PUNCH AREA
     FIRST     MCW  ONE,TWO
               H
     ONE       DCW  @X@
               ORG  3990                PAST THE END OF A 4000 CORE
     TWO       DCW  @0123456789ABCDEFGHIJ@
               END  FIRST
