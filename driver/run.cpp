#include "driver/run.h"

#include <array>
#include <cerrno>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/files.h"
#include "driver/options.h"
#include "driver/text.h"
#include "pass1/pass1.h"
#include "pass3/pass3.h"
#include "tables/dumps.h"
#include "tables/pass2.h"

namespace velumar {

namespace {

constexpr std::string_view kScratchName = "scratch";

// One output file of the run with the stream the passes write through.
struct OutputFile {
  FileOption which;
  FileBuf buf;
  std::ostream stream{&buf};
  std::string name;

  explicit OutputFile(FileOption w) : which(w) {}
};

// The files that options name, open for the whole run and shared by every job.
class RunFiles {
 public:
  RunFiles() : listing_(FileOption::Listing), object_(FileOption::Object), tape_(FileOption::Tape) {}

  /// Opens a file when its option is examined; reports a failure on `out`.
  bool open(FileOption which, const std::string& name, std::ostream& out) {
    bool ok = false;
    if (which == FileOption::Macros) {
      // The library is only required to exist: nothing reads it.
      ok = macros_.open_read(name);
      if (!ok) io_error(out, open_failure_text(which), macros_.error(), name);
      return ok;
    }
    OutputFile& f = output(which);
    f.name = name;
    ok = f.buf.open_write(name);
    if (!ok) io_error(out, open_failure_text(which), f.buf.error(), name);
    return ok;
  }

  OutputFile& output(FileOption which) {
    switch (which) {
      case FileOption::Object: return object_;
      case FileOption::Tape: return tape_;
      default: return listing_;
    }
  }

  /// Writes out what the outputs hold so far; false (after reporting the
  /// first failure of the run) when one of them has failed.
  bool check_writes(std::ostream& out) {
    for (OutputFile* f : {&listing_, &object_, &tape_}) {
      if (!f->buf.is_open()) continue;
      f->stream.flush();
      if (!report(*f, out)) return false;
    }
    return true;
  }

  /// Closes every file; false (after reporting it, unless reported before)
  /// when a write failed, also one found only on closing.
  bool close_all(std::ostream& out) {
    bool ok = true;
    for (OutputFile* f : {&listing_, &object_, &tape_}) {
      // A file that failed to open was reported then.
      if (!f->buf.is_open()) continue;
      f->stream.flush();
      (void)f->buf.close();
      ok = report(*f, out) && ok;
    }
    (void)macros_.close();
    return ok;
  }

 private:
  // One failing file is reported once, however often it is checked.
  bool report(const OutputFile& f, std::ostream& out) {
    if (f.buf.error() == 0) return true;
    if (!reported_) io_error(out, write_failure_text(f.which), f.buf.error(), f.name);
    reported_ = true;
    return false;
  }

  OutputFile listing_, object_, tape_;
  FileBuf macros_;
  bool reported_ = false;
};

// Writes the intermediate records kept with --keepscratch.
bool write_scratch(FileBuf& buf, const std::string& text, std::ostream& out) {
  std::ostream os(&buf);
  os << text;
  os.flush();
  if (!buf.close()) {
    io_error(out, "While writing \"scratch\" file", buf.error(), kScratchName);
    return false;
  }
  return true;
}

void dump_tables(Context& ctx, std::string_view heading) {
  dump_symtab(ctx.symtab, ctx.out, heading);
  dump_lit_table(ctx.literals, ctx.out);
}

// The run up to its exit status, before standard output is checked.
int assemble(const std::vector<std::string>& args, std::istream& in, std::ostream& out) {
  auto files = std::make_unique<RunFiles>();
  Options opts;
  OptionsResult parsed = parse_options(args, opts, out, [&](FileOption which, const std::string& name) {
    return files->open(which, name, out);
  });
  if (!parsed.run) {
    (void)files->close_all(out);
    return parsed.status;
  }

  FileBuf input_buf;
  std::istream input_file(&input_buf);
  if (opts.INPUT) {
    if (!input_buf.open_read(*opts.INPUT)) {
      io_error(out, "While opening input file", input_buf.error(), *opts.INPUT);
      (void)files->close_all(out);
      return EXIT_USAGE_OR_IO;
    }
  }

  FileBuf scratch_buf;
  if (opts.KeepScratch && !scratch_buf.open_write(std::string(kScratchName))) {
    io_error(out, "While opening \"scratch\" file", scratch_buf.error(), kScratchName);
    (void)files->close_all(out);
    return EXIT_USAGE_OR_IO;
  }

  auto ctx = std::make_unique<Context>(out);
  ctx->settings = opts.settings;
  ctx->traces = opts.traces;
  ctx->literals.LONG_LITS = opts.LONG_LITS;
  ctx->reader.set_input(opts.INPUT ? &input_file : &in);
  std::ostream* listing = opts.Do_List ? &files->output(FileOption::Listing).stream : nullptr;
  ctx->listing = listing;
  ctx->object = opts.Do_Object ? &files->output(FileOption::Object).stream : nullptr;
  ctx->tape = opts.Do_Tape ? &files->output(FileOption::Tape).stream : nullptr;
  ctx->diag.listing = listing;

  int status = EXIT_OK;
  std::string kept_records;
  for (;;) {
    ctx->diag.N_ERRORS = 0;
    ctx->diag.U_ERROR = ErrorDest::Scratch;
    bool had_cards = false;
    int read_status = pass_1(*ctx, &had_cards);
    ctx->diag.U_ERROR = listing != nullptr ? ErrorDest::Listing : ErrorDest::Stdout;

    if (read_status > 0 || input_buf.error() != 0 || (!opts.INPUT && in.bad())) {
      int err = input_buf.error() != 0 ? input_buf.error() : EIO;
      // The name is blank for standard input; the line is written all the same.
      io_error(out, "While reading input", err, opts.INPUT.value_or(std::string()));
      (void)files->close_all(out);
      return EXIT_USAGE_OR_IO;
    }
    // Blank or comment cards after the last program do not form a job.
    if (read_status != 0 && !had_cards) break;

    if (opts.KeepScratch) {
      std::ostringstream text;
      ctx->scratch.save(text);
      kept_records = text.str();
    }
    if (opts.SYMTAB) dump_tables(*ctx, "After pass 1:");
    if (read_status != 0) {
      out << "End of input before END: program not assembled\n";
      status = EXIT_ASSEMBLY_ERRORS;
      break;
    }

    pass_2(*ctx);
    if (opts.SYMTAB) dump_tables(*ctx, "After pass 2:");
    pass_3(*ctx, opts.Do_List, opts.Do_Object, opts.Do_Tape);
    if (ctx->diag.N_ERRORS > 0) {
      status = EXIT_ASSEMBLY_ERRORS;
      ctx->diag.do_error(fmt_int(ctx->diag.N_ERRORS, 5) + " Errors");
    }
    if (!files->check_writes(out)) {
      (void)files->close_all(out);
      return EXIT_USAGE_OR_IO;
    }
  }

  if (opts.KeepScratch && !write_scratch(scratch_buf, kept_records, out)) status = EXIT_USAGE_OR_IO;
  if (!files->close_all(out)) status = EXIT_USAGE_OR_IO;
  return status;
}

}  // namespace

int velumar_main(int argc, char** argv, std::istream& in, std::ostream& out) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv != nullptr && argv[i] != nullptr ? argv[i] : "");
  if (args.empty()) args.emplace_back("velumar");
  int status = assemble(args, in, out);
  out.flush();
  // Standard output itself failing (a full disk behind a redirection) is a
  // failed run too, though there is nowhere left to say so.
  if (!out) status = EXIT_USAGE_OR_IO;
  return status;
}

}  // namespace velumar
