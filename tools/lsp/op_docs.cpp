#include "tools/lsp/op_docs.h"

#include <utility>

namespace velumar::lsp {

namespace {

// The descriptions, by mnemonic. An operation missing here is described
// by its operand forms alone.
constexpr std::pair<std::string_view, std::string_view> kDescriptions[] = {
    {"DA", "Define an area: a record of fields, repeated, described by the field cards that follow"},
    {"DC", "Define a constant, without a word mark"},
    {"DCW", "Define a constant with a word mark on its leftmost character"},
    {"DS", "Define storage: reserve positions without placing anything"},
    {"DSA", "Define a symbol address: a 3-character address constant"},
    {"EQU", "Equate the label to the value of the operand"},
    {"A", "Add the A-field to the B-field"},
    {"S", "Subtract the A-field from the B-field"},
    {"ZA", "Zero the B-field and add the A-field to it"},
    {"ZS", "Zero the B-field and subtract the A-field from it"},
    {"M", "Multiply"},
    {"D", "Divide"},
    {"MCW", "Move characters to the first word mark of the A- or B-field"},
    {"MLC", "Move characters to the first word mark of the A- or B-field"},
    {"LCA", "Load characters and word mark to the A-field word mark"},
    {"MLCWA", "Load characters and word mark to the A-field word mark"},
    {"MCE", "Move characters and edit: the A-field into the edit word of the B-field"},
    {"MCS", "Move characters and suppress zeros"},
    {"MIZ", "Move characters and insert zeros"},
    {"MN", "Move the numeric part of one character"},
    {"MLNS", "Move the numeric part of one character"},
    {"MZ", "Move the zone part of one character"},
    {"MLZS", "Move the zone part of one character"},
    {"MCM", "Move characters to a record mark or group mark"},
    {"MRCM", "Move characters to a record mark or group mark"},
    {"B", "Branch, unconditionally or on the indicator the d-modifier names"},
    {"BCE", "Branch if the character at the B-address equals the d-modifier"},
    {"BBE", "Branch if any bit of the d-modifier is in the character at the B-address"},
    {"BWZ", "Branch on the word mark, the zone or both at the B-address (by the d-modifier)"},
    {"BW", "Branch if the B-address has a word mark"},
    {"BM", "Branch if the B-field is minus"},
    {"BU", "Branch if the last compare was unequal"},
    {"BE", "Branch if the last compare was equal"},
    {"BH", "Branch if the B-field was high in the last compare"},
    {"BL", "Branch if the B-field was low in the last compare"},
    {"BAV", "Branch if an arithmetic overflow occurred"},
    {"BC9", "Branch on carriage channel 9"},
    {"BCV", "Branch on carriage channel 12 (overflow)"},
    {"BLC", "Branch on the last card"},
    {"BER", "Branch on a tape error"},
    {"BEF", "Branch on the end of a tape file"},
    {"BPB", "Branch if the printer is busy"},
    {"BPCB", "Branch if the printer carriage is busy"},
    {"BIN", "Branch if the indicator named by the d-modifier is on"},
    {"BSS", "Branch if the sense switch named by the d-modifier is on"},
    {"C", "Compare the A-field with the B-field"},
    {"CS", "Clear storage down to the next hundreds boundary (and branch)"},
    {"CW", "Clear the word marks at the A- and B-addresses"},
    {"SW", "Set word marks at the A- and B-addresses"},
    {"H", "Halt (and branch to the A-address when started again)"},
    {"NOP", "No operation"},
    {"SAR", "Store the A-address register"},
    {"SBR", "Store the B-address register (the return address of a subroutine)"},
    {"MA", "Modify an address: add the A-field to the 3-character address at the B-address"},
    {"R", "Read a card into 1-80 (and branch)"},
    {"W", "Write a line from 201-332 (and branch)"},
    {"WR", "Write a line and read a card (and branch)"},
    {"P", "Punch a card from 101-180 (and branch)"},
    {"RP", "Read and punch a card"},
    {"WP", "Write a line and punch a card"},
    {"WRP", "Write a line, read a card and punch a card"},
    {"SRF", "Start the read feed"},
    {"SPF", "Start the punch feed"},
    {"CC", "Control the printer carriage by the d-modifier"},
    {"CCB", "Control the printer carriage and branch"},
    {"SS", "Select the stacker the d-modifier names"},
    {"SSB", "Select a stacker and branch"},
    {"CU", "Control a tape unit"},
    {"RT", "Read tape into storage"},
    {"RTW", "Read tape with word marks"},
    {"WT", "Write tape from storage"},
    {"WTW", "Write tape with word marks"},
    {"RWD", "Rewind a tape"},
    {"RWU", "Rewind a tape and unload it"},
    {"BSP", "Backspace a tape one record"},
    {"SKP", "Skip and blank a stretch of tape"},
    {"WTM", "Write a tape mark"},
    {"END", "End of the program; the operand names where it starts"},
};

constexpr std::pair<std::string_view, std::string_view> kPseudo[] = {
    {"ORG", "Set the location counter"},
    {"LTORG", "Place the literals used so far (a literal pool)"},
    {"EX", "Execute: branch to the operand while the deck is still being loaded"},
    {"XFR", "Transfer: branch to the operand while loading, then load on"},
    {"JOB", "Start a job; columns 21-72 head the listing pages"},
    {"CTL", "Control card: storage size and other options of the run"},
    {"SFX", "Suffix: the character in column 21 is added to the shorter labels from here on"},
    {"CHAIN", "Chain: repeat the previous statement"},
    {"ENT", "Entry point"},
    {"ALTER", "Library alteration (not handled)"},
    {"DELET", "Library deletion (not handled)"},
    {"INSER", "Library insertion (not handled)"},
};

std::string rule_text(const FieldRule& rule, std::string_view field) {
  std::string out(field);
  switch (rule.need) {
    case Need::Optional: return out + " optional";
    case Need::Required: return out + " required";
    case Need::Prohibited: return out + " none";
    case Need::Fixed: break;
  }
  return out + " `" + std::string(1, rule.fixed) + "` (supplied)";
}

}  // namespace

std::string_view op_name(Op op) {
  std::string_view name = op_info(op).mnemonic;
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

std::string_view op_description(Op op) {
  if (op == Op::Unknown || op == Op::Pseudo) return {};
  if (op == Op::Direct) return "An actual operation: the machine code in column 19, the d-modifier in column 20";
  const std::string_view name = op_name(op);
  for (const auto& [mnemonic, text] : kDescriptions)
    if (mnemonic == name) return text;
  for (const auto& [mnemonic, text] : kPseudo)
    if (mnemonic == name) return text;
  return {};
}

std::string op_forms(Op op) {
  if (is_pseudo(op) && op != Op::Direct) return "assembler statement: no machine code";
  const OpInfo& info = op_info(op);
  std::string out = rule_text(info.a, "A-field") + ", " + rule_text(info.b, "B-field") + ", " +
                    rule_text(info.d, "d-modifier");
  if (op == Op::Direct) return out;
  return out + "; machine code `" + std::string(1, info.machine_op) + "`";
}

}  // namespace velumar::lsp
