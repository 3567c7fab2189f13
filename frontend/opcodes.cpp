#include "frontend/opcodes.h"

#include "core/text.h"

namespace velumar {

// Row numbers are part of the interface: operands, pass 1 and pass 3 refer
// to rows by number, so rows are never moved or removed.
const std::array<OpCode, NUM_OP_CODES> OP_CODES = {{
    {"     ", ' ', OPT, OPT, PRO},  // 0
    {"DA   ", ' ', REQ, PRO, PRO},  // 1
    {"DC   ", ' ', REQ, PRO, PRO},  // 2
    {"DCW  ", ' ', REQ, PRO, PRO},  // 3
    {"DS   ", ' ', REQ, PRO, PRO},  // 4
    {"DSA  ", ' ', REQ, PRO, PRO},  // 5
    {"EQU  ", ' ', REQ, PRO, PRO},  // 6
    {"A    ", 'A', OPT, OPT, PRO},  // 7
    {"D    ", '%', OPT, OPT, PRO},  // 8
    {"M    ", '@', OPT, OPT, PRO},  // 9
    {"S    ", 'S', OPT, OPT, PRO},  // 10
    {"ZA   ", '?', OPT, OPT, PRO},  // 11
    {"ZS   ", '!', OPT, OPT, PRO},  // 12
    {"MBC  ", 'M', OPT, OPT, 'B'},  // 13
    {"MBD  ", 'M', OPT, OPT, 'D'},  // 14
    {"MCE  ", 'E', OPT, OPT, PRO},  // 15
    {"MCS  ", 'Z', OPT, OPT, PRO},  // 16
    {"MIZ  ", 'X', OPT, OPT, PRO},  // 17
    {"MLC  ", 'M', OPT, OPT, OPT},  // 18
    {"MCW  ", 'M', OPT, OPT, OPT},  // 19
    {"MLCWA", 'L', OPT, OPT, OPT},  // 20
    {"LCA  ", 'L', OPT, OPT, OPT},  // 21
    {"MLNS ", 'D', OPT, OPT, PRO},  // 22
    {"MN   ", 'D', OPT, OPT, PRO},  // 23
    {"MLZS ", 'Y', OPT, OPT, PRO},  // 24
    {"MZ   ", 'Y', OPT, OPT, PRO},  // 25
    {"MRCM ", 'P', OPT, OPT, OPT},  // 26
    {"MCM  ", 'P', OPT, OPT, OPT},  // 27
    {"B    ", 'B', REQ, OPT, OPT},  // 28
    {"BAV  ", 'B', REQ, PRO, 'Z'},  // 29
    {"BBE  ", 'W', REQ, REQ, REQ},  // 30
    {"BC9  ", 'B', REQ, PRO, '9'},  // 31
    {"BCV  ", 'B', REQ, PRO, '@'},  // 32
    {"BE   ", 'B', REQ, PRO, 'S'},  // 33
    {"BEF  ", 'B', REQ, PRO, 'K'},  // 34
    {"BER  ", 'B', REQ, PRO, 'L'},  // 35
    {"BH   ", 'B', REQ, PRO, 'U'},  // 36
    {"BIN  ", 'B', REQ, PRO, REQ},  // 37
    {"BL   ", 'B', REQ, PRO, 'T'},  // 38
    {"BLC  ", 'B', REQ, PRO, 'A'},  // 39
    {"BM   ", 'V', REQ, REQ, 'K'},  // 40
    {"BPCB ", 'B', REQ, PRO, 'R'},  // 41
    {"BPB  ", 'B', REQ, PRO, 'P'},  // 42
    {"BU   ", 'B', REQ, PRO, '/'},  // 43
    {"BW   ", 'V', REQ, REQ, '1'},  // 44
    {"BWZ  ", 'V', REQ, REQ, REQ},  // 45
    {"BCE  ", 'B', OPT, REQ, REQ},  // 46
    {"BSS  ", 'B', REQ, PRO, REQ},  // 47
    {"C    ", 'C', OPT, OPT, PRO},  // 48
    {"BSP  ", 'U', 'U', PRO, 'B'},  // 49
    {"CU   ", 'U', REQ, PRO, REQ},  // 50
    {"DCR  ", 'U', 'F', PRO, 'D'},  // 51
    {"ECR  ", 'U', 'F', PRO, 'E'},  // 52
    {"LU   ", 'L', REQ, REQ, REQ},  // 53
    {"MU   ", 'M', REQ, REQ, REQ},  // 54
    {"P    ", '4', OPT, PRO, PRO},  // 55
    {"PCB  ", '4', OPT, PRO, 'C'},  // 56
    {"R    ", '1', OPT, PRO, PRO},  // 57
    {"RCB  ", '1', OPT, PRO, 'C'},  // 58
    {"RD   ", 'M', 'D', REQ, 'R'},  // 59
    {"RDT  ", 'M', 'D', REQ, 'R'},  // 60
    {"RDTW ", 'L', 'D', REQ, 'R'},  // 61
    {"RDW  ", 'L', 'D', REQ, 'R'},  // 62
    {"RF   ", '4', REQ, PRO, 'R'},  // 63
    {"RP   ", '5', REQ, PRO, PRO},  // 64
    {"RT   ", 'M', 'U', REQ, 'R'},  // 65
    {"RTB  ", 'M', 'B', REQ, 'R'},  // 66
    {"RTW  ", 'L', 'U', REQ, 'R'},  // 67
    {"RWD  ", 'U', 'U', PRO, 'R'},  // 68
    {"RWU  ", 'U', 'U', PRO, 'U'},  // 69
    {"SD   ", 'M', 'D', REQ, 'R'},  // 70
    {"SKP  ", 'U', 'U', PRO, 'E'},  // 71
    {"SPF  ", '9', OPT, PRO, PRO},  // 72
    {"SRF  ", '8', OPT, PRO, PRO},  // 73
    {"W    ", '2', OPT, PRO, PRO},  // 74
    {"WD   ", 'M', 'D', REQ, 'W'},  // 75
    {"WDC  ", 'M', 'D', REQ, 'W'},  // 76
    {"WDCW ", 'L', 'D', REQ, 'W'},  // 77
    {"WDT  ", 'M', 'D', REQ, 'W'},  // 78
    {"WDTW ", 'L', 'D', REQ, 'W'},  // 79
    {"WDW  ", 'L', 'D', REQ, 'W'},  // 80
    {"WM   ", '2', OPT, PRO, ')'},  // 81
    {"WP   ", '6', OPT, PRO, PRO},  // 82
    {"WR   ", '3', OPT, PRO, PRO},  // 83
    {"WRF  ", '6', OPT, PRO, 'R'},  // 84
    {"WRP  ", '7', OPT, PRO, PRO},  // 85
    {"WT   ", 'M', 'U', REQ, 'W'},  // 86
    {"WTB  ", 'M', 'B', REQ, 'W'},  // 87
    {"WTM  ", 'U', 'U', PRO, 'M'},  // 88
    {"WTW  ", 'L', 'U', REQ, 'W'},  // 89
    {"CC   ", 'F', PRO, PRO, REQ},  // 90
    {"CCB  ", 'F', REQ, PRO, REQ},  // 91
    {"CS   ", '/', OPT, OPT, PRO},  // 92
    {"CW   ", ')', OPT, OPT, PRO},  // 93
    {"H    ", '.', OPT, OPT, PRO},  // 94
    {"MA   ", '#', OPT, OPT, PRO},  // 95
    {"NOP  ", 'N', OPT, OPT, OPT},  // 96
    {"SAR  ", 'Q', OPT, PRO, PRO},  // 97
    {"SBR  ", 'H', OPT, OPT, PRO},  // 98
    {"SS   ", 'K', PRO, PRO, REQ},  // 99
    {"SSB  ", 'K', REQ, PRO, REQ},  // 100
    {"SW   ", ',', OPT, OPT, PRO},  // 101
    {"     ", ' ', REQ, PRO, PRO},  // 102
    {"ALTER", ' ', REQ, PRO, PRO},  // 103
    {"CHAIN", ' ', REQ, PRO, PRO},  // 104
    {"CTL  ", ' ', REQ, PRO, PRO},  // 105
    {"DELET", ' ', REQ, PRO, PRO},  // 106
    {"END  ", ' ', REQ, PRO, PRO},  // 107
    {"ENT  ", ' ', REQ, PRO, PRO},  // 108
    {"EX   ", ' ', REQ, PRO, PRO},  // 109
    {"INSER", ' ', REQ, PRO, PRO},  // 110
    {"JOB  ", ' ', REQ, PRO, PRO},  // 111
    {"LTORG", ' ', REQ, PRO, PRO},  // 112
    {"ORG  ", ' ', REQ, PRO, PRO},  // 113
    {"SFX  ", ' ', REQ, PRO, PRO},  // 114
    {"XFR  ", ' ', REQ, PRO, PRO},  // 115
    {"#####", ' ', PRO, PRO, PRO},  // 116
}};

int find_op(std::string_view field, int last_row) {
  constexpr int kBlankRow = 102;  // no mnemonic: a blank field is never looked up
  if (last_row > NUM_OP_CODES - 1) last_row = NUM_OP_CODES - 1;
  // Blank padding is insignificant, but a longer mnemonic never matches a
  // shorter one by being cut.
  if (rtrim(field).size() > 5) return OP_NOT_FOUND;
  const std::string key = pad(field, 5);
  for (int row = 1; row <= last_row; ++row) {
    if (row == kBlankRow) continue;
    if (OP_CODES[static_cast<std::size_t>(row)].OP == key) return row;
  }
  return OP_NOT_FOUND;
}

}  // namespace velumar
