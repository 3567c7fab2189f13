     * SYMBOLS THAT NEVER GET A VALUE
     START     MCW  MISSING,201       NEVER DEFINED
               MCW  &NOWHERE,89       ADDRESS CONSTANT LITERAL
               B    LATER             DEFINED FURTHER ON: FINE
     PING      EQU  PONG              DEFINED ONLY BY EACH OTHER
     PONG      EQU  PING
               MCW  PING,201
     ADR       DCW  &GHOST
     ADR2      DSA  GHOST
     LATER     H    START
               ORG  LIMBO             ORG TO A SYMBOL WITH NO VALUE
     LOST      DCW  @X@               LOCATION UNKNOWN
               H    START
               END  START
