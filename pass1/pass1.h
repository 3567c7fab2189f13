// Pass 1: reads one program, assigns locations, defines labels and writes
// the intermediate records.
#pragma once

namespace velumar {

struct Job;

/// Runs pass 1 over one job. Returns the status of the last read: 0 after
/// END, negative when the input ran out. `had_cards` (optional) is set true
/// when the job had any card that is neither blank nor a comment.
int pass_1(const Job& ctx, bool* had_cards = nullptr);

}  // namespace velumar
