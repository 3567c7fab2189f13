// Pass 2: defines the labels that pass 1 left undefined.
#pragma once

namespace velumar {

struct Job;

/// How forward references are settled. Sweeps repeats whole sweeps, one per
/// link of a chain (the reference, and what the pool trace shows). Direct,
/// when the first sweep leaves something open, follows each undefined
/// symbol's dependencies once, giving every label the value the sweeps
/// would, and makes one more sweep to confirm: two sweeps at most.
enum class Settle { Direct, Sweeps };

/// Defines the labels pass 1 left undefined, sweeping the intermediate
/// records until no sweep defines anything more; reports "Undefined or
/// unresolvable symbols" once when stuck. Returns the number of sweeps made.
int pass_2(const Job& ctx, Settle how = Settle::Direct);

}  // namespace velumar
