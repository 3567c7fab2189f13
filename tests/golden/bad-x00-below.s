     * THE HUNDREDS ADJUSTMENT OF A LOCATION BELOW STORAGE KEEPS A
     * MULTIPLE OF 100: C IS -400 IN THE SYMBOL TABLE AND THE LISTING
     A         EQU  100
     B         EQU  A-500
               ORG  B&X00
     C         DCW  @X@
               END
