#include "driver/run.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/context.h"
#include "driver/command_line.h"
#include "driver/core_size.h"
#include "driver/files.h"
#include "driver/outputs.h"
#include "driver/options.h"
#include "driver/descriptions.h"
#include "driver/program_info.h"
#include "core/text.h"
#include "pass1/pass1.h"
#include "pass3/pass3.h"
#include "tables/dumps.h"
#include "pass2/pass2.h"

namespace velumar {

namespace {

constexpr std::string_view kScratchName = "scratch";

// What a run's end does with the outputs.
enum class Commit {
  Nothing,       ///< the run failed: every target stays as it was
  Descriptions,  ///< nothing was assembled: only the map, HTML and diagnostics files are written
  All,
};

// One output file of the run with the stream the passes write through.
struct OutputFile {
  std::string_view label;  ///< how messages name it: "listing", "scratch", ...
  std::string_view open_text, write_text;
  FileBuf buf;
  std::ostream stream{&buf};
  std::string name;

  OutputFile(std::string_view l, std::string_view open, std::string_view write)
      : label(l), open_text(open), write_text(write) {}
};

// The files that options name, and the kept scratch file, open for the
// whole run and shared by every job. The outputs replace their targets only
// when commit_all is called; until then every earlier file stays as it was.
class RunFiles {
 public:
  RunFiles()
      : listing_("listing", open_failure_text(FileOption::Listing), write_failure_text(FileOption::Listing)),
        object_("object deck", open_failure_text(FileOption::Object), write_failure_text(FileOption::Object)),
        tape_("loadable tape", open_failure_text(FileOption::Tape), write_failure_text(FileOption::Tape)),
        scratch_("scratch", "While opening \"scratch\" file", "While writing \"scratch\" file"),
        map_("symbol map", open_failure_text(FileOption::Map), write_failure_text(FileOption::Map)),
        html_("HTML listing", open_failure_text(FileOption::Html), write_failure_text(FileOption::Html)),
        diagnostics_("diagnostics", open_failure_text(FileOption::Diagnostics),
                     write_failure_text(FileOption::Diagnostics)) {}

  /// From now on the listing shows "?" for each byte that no 1401
  /// character stands for, so that a card's control bytes (an escape
  /// sequence) never reach a printed listing. Everything else in a listing
  /// is made of 1401 characters, so this is asked for once a card has held
  /// such a byte, and the listing of clean decks is not scanned.
  void mask_listing() { listing_.buf.mask_foreign_bytes(); }

  /// Opens a file when its option is examined; reports a failure on `out`.
  bool open(FileOption which, const std::string& name, std::ostream& out) {
    if (which == FileOption::Macros) {
      // The library is only required to exist: nothing reads it.
      macros_name_ = name;
      bool ok = macros_.open_read(name);
      if (!ok) io_error(out, open_failure_text(which), macros_.error(), name);
      return ok;
    }
    return open_output(output(which), name, out);
  }

  /// Opens the kept scratch file, after the input.
  bool open_scratch(std::ostream& out) { return open_output(scratch_, std::string(kScratchName), out); }

  OutputFile& output(FileOption which) {
    switch (which) {
      case FileOption::Object: return object_;
      case FileOption::Tape: return tape_;
      case FileOption::Map: return map_;
      case FileOption::Html: return html_;
      case FileOption::Diagnostics: return diagnostics_;
      default: return listing_;
    }
  }
  std::ostream& output_scratch() { return scratch_.stream; }

  /// False (after reporting it) when an output is the input file (`input`,
  /// named or standard input) or the macro library: writing it would
  /// destroy what the run reads.
  bool check_inputs(const std::optional<FileId>& input, std::ostream& out) {
    const std::optional<FileId> macros = macros_.file_id();
    for (OutputFile* f : outputs()) {
      const std::optional<FileId> id = f->buf.file_id();
      if (!id) continue;
      if (id == input) return refuse(*f, "the input file", out);
      if (id == macros) return refuse(*f, "the \"macro library\" file", out);
    }
    return true;
  }

  /// Writes out what the outputs hold so far; false (after reporting the
  /// first failure of the run) when one of them has failed.
  bool check_writes(std::ostream& out) {
    for (OutputFile* f : outputs()) {
      if (!f->buf.is_open()) continue;
      f->stream.flush();
      if (!report(*f, out)) return false;
    }
    return true;
  }

  /// Closes every file and replaces the targets by the outputs as one set;
  /// false (after reporting the first failure, unless reported before)
  /// when a write failed, also one found only on closing, or a target could
  /// not be replaced, and then no target is. With `what` Descriptions, the
  /// listing, deck, tape and scratch file are left as they were.
  bool commit_all(std::ostream& out, Commit what) {
    if (what == Commit::Descriptions)
      for (OutputFile* f : {&listing_, &object_, &tape_, &scratch_}) f->buf.discard();
    std::vector<FileBuf*> bufs;
    for (OutputFile* f : outputs()) {
      f->stream.flush();
      bufs.push_back(&f->buf);
    }
    bool ok = commit_outputs(bufs);
    for (OutputFile* f : outputs()) ok = report(*f, out) && ok;
    (void)macros_.close();
    return ok;
  }

  /// Closes every file and leaves every target as it was.
  void discard_all() {
    for (OutputFile* f : outputs()) f->buf.discard();
    (void)macros_.close();
  }

 private:
  std::array<OutputFile*, 7> outputs() {
    return {&listing_, &object_, &tape_, &scratch_, &map_, &html_, &diagnostics_};
  }

  bool open_output(OutputFile& f, const std::string& name, std::ostream& out) {
    f.name = name;
    f.buf.discard();  // an option given again replaces its earlier file
    if (!f.buf.open_replace(name)) {
      io_error(out, f.open_text, f.buf.error(), name);
      return false;
    }
    const std::optional<FileId> id = f.buf.file_id();
    for (OutputFile* other : outputs()) {
      if (other != &f && id && other->buf.file_id() == id) {
        f.buf.discard();
        std::string what = "the \"" + std::string(other->label) + "\" file";
        return refuse(f, what, out);
      }
    }
    return true;
  }

  // Two of the run's files would be one: reported like a file that cannot
  // be opened, with its own description in place of the system's.
  bool refuse(const OutputFile& f, std::string_view what, std::ostream& out) {
    out << f.open_text << '\n'
        << rtrim(f.name) << "\nSame file as " << what << "\nError status code = " << EEXIST << '\n';
    FailureLines::emit(refusal_line(f.open_text, f.name, what));
    return false;
  }

  // One failing file is reported once, however often it is checked.
  bool report(const OutputFile& f, std::ostream& out) {
    if (f.buf.error() == 0) return true;
    if (!reported_) io_error(out, f.write_text, f.buf.error(), f.name);
    reported_ = true;
    return false;
  }

  OutputFile listing_, object_, tape_, scratch_, map_, html_, diagnostics_;
  FileBuf macros_;
  std::string macros_name_;
  bool reported_ = false;
};

// The errno of a stream's first failure: a FileBuf keeps it; of another
// stream only that it failed is known.
int stream_error(const std::ios& stream) {
  if (const auto* buf = dynamic_cast<const FileBuf*>(stream.rdbuf()); buf != nullptr && buf->error() != 0)
    return buf->error();
  return stream.bad() ? EIO : 0;
}

void dump_tables(Context& ctx, std::string_view heading) {
  dump_symtab(ctx.symtab, ctx.out, heading);
  dump_lit_table(ctx.literals, ctx.out);
}

// Colour on standard error only for a terminal, and never when NO_COLOR
// holds a value (no-color.org).
bool use_colour(bool terminal) {
  const char* no_colour = std::getenv("NO_COLOR");
  return terminal && (no_colour == nullptr || *no_colour == '\0');
}

// Where the cards come from: the input file the options name, or standard
// input.
class Source {
 public:
  explicit Source(std::istream& standard_input) : standard_input_(standard_input) {}

  /// Opens the named input file; false after reporting the failure on `out`.
  bool open(const std::optional<std::string>& name, std::ostream& out) {
    named_ = name.has_value();
    if (!named_ || buf_.open_read(*name)) return true;
    io_error(out, "While opening input file", buf_.error(), *name);
    return false;
  }
  std::istream& stream() { return named_ ? file_ : standard_input_; }
  /// The file the cards come from; none for a pipe, a terminal, a device.
  std::optional<FileId> file_id() const {
    if (named_) return buf_.file_id();
    const auto* buf = dynamic_cast<const FileBuf*>(standard_input_.rdbuf());
    return buf != nullptr ? buf->file_id() : std::nullopt;
  }
  /// The errno of a failed read so far; 0 when none failed.
  int error() const { return named_ ? buf_.error() : stream_error(standard_input_); }

 private:
  std::istream& standard_input_;
  FileBuf buf_;
  std::istream file_{&buf_};
  bool named_ = false;
};

// The run context set up as the options ask, reading from `source`.
std::unique_ptr<Context> make_context(const Options& opts, RunFiles& files, Source& source, std::ostream& out,
                                      std::ostream& err, bool err_terminal) {
  auto ctx = std::make_unique<Context>(out);
  ctx->diag.reporter().show_on(opts.report ? &err : nullptr, opts.input ? *opts.input : "<stdin>",
                               use_colour(err_terminal));
  ctx->diag.reporter().set_error_limit(opts.error_limit);
  ctx->settings = opts.settings;
  ctx->traces = opts.traces;
  ctx->literals.set_long_literals(opts.long_literals);
  ctx->reader.set_input(&source.stream());
  ctx->listing = opts.do_list ? &files.output(FileOption::Listing).stream : nullptr;
  ctx->object = opts.do_object ? &files.output(FileOption::Object).stream : nullptr;
  ctx->tape = opts.do_tape ? &files.output(FileOption::Tape).stream : nullptr;
  return ctx;
}

// What became of one job.
enum class JobEnd {
  Assembled,   ///< passes 1 to 3 ran; another job may follow
  NoMoreJobs,  ///< only blank or comment cards were left
  Unfinished,  ///< the input ended before END: the run stops
  Failed,      ///< reading the input or writing an output failed (reported)
};

// Assembles the jobs of the input one after another.
class JobLoop {
 public:
  /// With `collector`, every job is described to it as well.
  JobLoop(Context& ctx, const Options& opts, RunFiles& files, const Source& source,
          ProgramCollector* collector = nullptr)
      : ctx_(ctx), opts_(opts), files_(files), source_(source), collector_(collector) {}

  /// Called after the last job, before the files are committed.
  std::function<void()> before_commit;

  /// Runs every job; returns the exit status.
  int run() {
    if (!input_is_text()) {
      commit_ = Commit::Nothing;
      return kExitUsageOrIo;
    }
    int status = kExitOk;
    bool assembled = false;
    for (;;) {
      if (collector_ != nullptr) collector_->begin_job();
      const JobEnd end = assemble_job(status);
      if (collector_ != nullptr && (end == JobEnd::Assembled || end == JobEnd::Unfinished)) collector_->job_done(ctx_, end == JobEnd::Assembled);
      if (end == JobEnd::Failed) {
        commit_ = Commit::Nothing;
        return kExitUsageOrIo;
      }
      if (end != JobEnd::Assembled) {
        commit_ = assembled || end == JobEnd::NoMoreJobs ? Commit::All : Commit::Descriptions;
        break;
      }
      assembled = true;
    }
    if (opts_.keep_scratch && records_kept_) ctx_.scratch.save(files_.output_scratch());
    if (before_commit) before_commit();
    return status;
  }

  /// Which outputs are to replace their targets after run(): none after a
  /// failure, only the descriptions when the input ended inside the first
  /// program (nothing was assembled).
  Commit wants_commit() const { return commit_; }

 private:
  // One job; a job with errors sets `status`, which no later job clears.
  JobEnd assemble_job(int& status) {
    Reporter& reporter = ctx_.diag.reporter();
    ctx_.diag.begin_job();
    ctx_.historic.route_to(ErrorDest::Scratch);
    reporter.begin_job();
    bool had_cards = false;
    const int read_status = pass_1(ctx_.pass1(), &had_cards);
    ctx_.historic.route_to(ctx_.listing != nullptr ? ErrorDest::Listing : ErrorDest::Stdout, ctx_.listing);

    if (read_failed(read_status)) {
      reporter.end_job();  // what the job found before the failure is shown all the same
      return JobEnd::Failed;
    }
    // Blank or comment cards after the last program do not form a job.
    if (read_status != 0 && !had_cards) {
      reporter.end_job();
      return JobEnd::NoMoreJobs;
    }
    if (opts_.keep_scratch) keep_records();
    if (opts_.dump_symbols) dump_tables(ctx_, "After pass 1:");
    if (read_status != 0) {
      report_unfinished();
      reporter.end_job();
      status = kExitAssemblyErrors;
      return JobEnd::Unfinished;
    }

    pass_2(ctx_.pass2());
    warn_beyond_core_size(ctx_.settings, ctx_.scratch, ctx_.diag);
    if (opts_.dump_symbols) dump_tables(ctx_, "After pass 2:");
    if (ctx_.reader.saw_foreign()) files_.mask_listing();
    Pass3Outputs outputs(ctx_.settings, ctx_.listing, ctx_.object, ctx_.tape);
    pass_3(ctx_.pass3(), outputs.listing(), outputs.storage());
    const int errors = ctx_.diag.errors_in_job();
    if (errors > 0) {
      status = kExitAssemblyErrors;
      ctx_.diag.historic(diagnose(DiagId::ErrorCount, {fmt_int(errors, 5)}));
    }
    reporter.end_job(errors);
    return files_.check_writes(ctx_.out) ? JobEnd::Assembled : JobEnd::Failed;
  }

  // False (after reporting it) when the input is not text (an executable
  // named by mistake): refused as a whole, as a file that cannot be read
  // is, instead of thousands of reports of cards that are not cards. One
  // error on standard error; on standard output the lines of a read failure.
  bool input_is_text() {
    Reporter& reporter = ctx_.diag.reporter();
    reporter.begin_job();
    const bool text = ctx_.reader.holds_text();
    if (!text) {
      ctx_.out << "While reading input\n"
               << opts_.input.value_or(std::string()) << "\nNot a text file\nError status code = " << kExitUsageOrIo
               << '\n';
      reporter.end_job();
    }
    return text;
  }

  // True (after reporting it) when pass 1 could not read the input.
  bool read_failed(int read_status) {
    const int read_err = source_.error();
    if (read_status <= 0 && read_err == 0) return false;
    // The name is blank for standard input; the line is written all the same.
    io_error(ctx_.out, "While reading input", read_err != 0 ? read_err : EIO, opts_.input.value_or(std::string()));
    return true;
  }

  // The kept scratch file holds the records of the last job that pass 1
  // read. They are written from the records when the run ends: pass 1
  // replaces a job's records only once it has found a statement card, and
  // such a job is kept in turn, so at the end the records are still those.
  void keep_records() { records_kept_ = true; }

  void report_unfinished() {
    ctx_.out << "End of input before END: program not assembled\n";
    ctx_.diag.report(diagnose(DiagId::NoEnd));
  }

  Context& ctx_;
  const Options& opts_;
  RunFiles& files_;
  const Source& source_;
  ProgramCollector* collector_;
  bool records_kept_ = false;
  Commit commit_ = Commit::Nothing;
};

// The run up to its exit status, before standard output is checked and the
// outputs committed; sets `commit` to what is to be committed.
int assemble(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
             bool err_terminal, layout::LocationLog* locations, RunFiles* files, Commit& commit) {
  Options opts;
  OptionsResult parsed = parse_options(args, opts, out, [&](FileOption which, const std::string& name) {
    return files->open(which, name, out);
  });
  if (!parsed.run) return parsed.status;
  if (opts.report)
    for (const std::string& w : opts.warnings) err << "velumar: warning: " << w << '\n';

  Source source(in);
  if (!source.open(opts.input, out) || (opts.keep_scratch && !files->open_scratch(out)) ||
      !files->check_inputs(source.file_id(), out))
    return kExitUsageOrIo;
  auto ctx = make_context(opts, *files, source, out, err, err_terminal);
  ctx->locations = locations;
  // The text form goes to the file --diagnostics-file names, if any.
  if (opts.diagnostics_name && opts.diagnostics_format == DiagnosticsFormat::Text)
    ctx->diag.reporter().show_on(&files->output(FileOption::Diagnostics).stream, opts.input.value_or("<stdin>"), false);
  if (!wants_description(opts)) {
    JobLoop loop(*ctx, opts, *files, source);
    const int status = loop.run();
    commit = loop.wants_commit();
    return status;
  }

  // The map, the HTML listing, the cross-reference and the machine-readable
  // diagnostics are written from a description gathered as the jobs run.
  ProgramCollector collector;
  // The diagnostics alone need no description of the jobs.
  const bool describe = opts.xref || opts.map_name || opts.html_name;
  collector.set_describing(describe);
  if (describe) ctx->statements = &collector;
  collector.set_context(ctx.get());
  ctx->diag.reporter().observe([&collector](const Diagnostic& d) { collector.diagnostic(d); });
  if (opts.diagnostics_format != DiagnosticsFormat::Text) ctx->diag.reporter().show_on(nullptr, "", false);
  if (opts.xref && opts.do_list) collector.on_symbol_table(xref_writer(opts.settings.max_line));
  JobLoop loop(*ctx, opts, *files, source, &collector);
  loop.before_commit = [&] {
    std::ostream* diagnostics = opts.diagnostics_name ? &files->output(FileOption::Diagnostics).stream : &err;
    write_descriptions(opts, collector, opts.map_name ? &files->output(FileOption::Map).stream : nullptr,
                       opts.html_name ? &files->output(FileOption::Html).stream : nullptr, *diagnostics);
  };
  const int status = loop.run();
  commit = loop.wants_commit();
  return status;
}

// True when standard output took everything written to it; else reports
// the failure, the one thing left to report it on being standard error.
bool stdout_written(std::ostream& out, std::ostream& err) {
  out.flush();
  if (out && stream_error(out) == 0) return true;
  const int code = stream_error(out);
  err << "velumar: cannot write standard output: " << std::strerror(code != 0 ? code : EIO) << '\n';
  return false;
}

// Discards whatever is written to it.
class NullBuf : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

void run_in_memory(const std::vector<std::string>& options, std::string_view source, ProgramCollector& collector) {
  NullBuf null_buf;
  std::ostream null_out(&null_buf);
  std::vector<std::string> args{"velumar"};
  args.insert(args.end(), options.begin(), options.end());
  Options opts;
  // Options that name files are read, but nothing is opened or written.
  if (!parse_options(args, opts, null_out, [](FileOption, const std::string&) { return true; }).run) return;
  opts.input.reset();
  opts.do_list = opts.do_object = opts.do_tape = opts.keep_scratch = opts.dump_symbols = false;
  opts.report = false;
  opts.traces = Traces{};
  RunFiles files;
  std::istringstream in{std::string(source)};
  Source input(in);
  auto ctx = make_context(opts, files, input, null_out, null_out, false);
  ctx->statements = &collector;
  collector.set_context(ctx.get());
  ctx->diag.reporter().observe([&collector](const Diagnostic& d) { collector.diagnostic(d); });
  JobLoop(*ctx, opts, files, input, &collector).run();
  collector.set_context(nullptr);
}

int velumar_main(int argc, char** argv, std::istream& in, std::ostream& out) {
  return velumar_main(argc, argv, in, out, std::cerr, false);
}

int velumar_main(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err, bool err_terminal,
                 layout::LocationLog* locations) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.emplace_back(argv != nullptr && argv[i] != nullptr ? argv[i] : "");
  if (args.empty()) args.emplace_back("velumar");
  // Failures are also said in one line on standard error, unless the
  // command line turns the report there off.
  const bool quiet = std::find(args.begin(), args.end(), "--no-diagnostics") != args.end();
  const FailureLines failure_lines(quiet ? nullptr : &err);
  auto files = std::make_unique<RunFiles>();
  Commit commit = Commit::Nothing;
  int status = assemble(args, in, out, err, err_terminal, locations, files.get(), commit);
  // The outputs replace their targets only after everything else has
  // succeeded, standard output included (a full disk behind a redirection).
  if (!stdout_written(out, err)) {
    files->discard_all();
    return kExitUsageOrIo;
  }
  if (commit == Commit::Nothing) {
    files->discard_all();
    return status;
  }
  if (!files->commit_all(out, commit)) {
    status = kExitUsageOrIo;
    (void)stdout_written(out, err);
  }
  return status;
}

}  // namespace velumar
