#include "cli/cli.h"

#include <cstdio>
#include <new>
#include <optional>

#include "convert/convert_file.h"
#include "primitives/allocation.h"

namespace txt2csv {

namespace {

constexpr std::string_view usage =
    "usage: txt2csv-cli [-s SEPARATOR] [--encoding auto|gbk|utf-8] [INPUT [OUTPUT]]\n"
    "Converts delimited text (lines ended by CR LF) into a CSV table.\n"
    "  -s SEPARATOR  the field separator of INPUT (default \",\"); UTF-8 text is\n"
    "                spelled in INPUT's encoding, other bytes are taken as they are\n"
    "  --encoding E  how INPUT is read: gbk, utf-8 (its table starts with the\n"
    "                byte-order mark), or auto (default): UTF-8 when INPUT starts\n"
    "                with the mark or is UTF-8 throughout, else GBK\n"
    "  INPUT         the text file; - or absent: standard input\n"
    "  OUTPUT        the table file, replaced only on success; - or absent: standard output\n"
    "  -h, --help    show this help\n"
    "  --version     show the version\n";

void print(std::FILE* stream, std::string_view message) {
  std::fwrite(message.data(), 1, message.size(), stream);
}

void complain(std::string_view message) {
  print(stderr, "txt2csv-cli: ");
  print(stderr, message);
  print(stderr, "\n");
}

int usage_error(std::string_view message) {
  complain(message);
  print(stderr, usage);
  return 2;
}

struct options {
  separator_spellings separator{",", ","};
  std::optional<text_encoding> encoding;  // absent: told from the input
  std::optional<std::string> input;   // absent: standard input
  std::optional<std::string> output;  // absent: standard output
};

bool names_standard_stream(const std::optional<std::string>& argument) {
  return !argument || *argument == "-";
}

std::string in_quotes(std::string_view name) { return "'" + std::string(name) + "'"; }

const struct {
  std::string_view name;
  std::optional<text_encoding> encoding;
} encoding_names[] = {
    {"auto", std::nullopt},
    {"gbk", text_encoding::gbk},
    {"utf-8", text_encoding::utf8},
};

// Sets `chosen` from the name; false for a name it does not know.
bool choose_encoding(std::string_view name, std::optional<text_encoding>& chosen) {
  for (const auto& known : encoding_names) {
    if (known.name != name) continue;
    chosen = known.encoding;
    return true;
  }
  return false;
}

// Formatted without the heap, which has just failed us.
void complain_out_of_memory() {
  char message[96];
  std::size_t size = failed_allocation_size();
  if (size == 0)
    std::snprintf(message, sizeof message, "out of memory");
  else
    std::snprintf(message, sizeof message, "out of memory: %zu bytes could not be allocated", size);
  complain(message);
}

int run(const std::vector<std::string>& arguments) {
  options chosen;
  std::vector<std::string> positional;
  bool options_ended = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (options_ended || argument == "-" || !argument.starts_with('-')) {
      positional.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "-h" || argument == "--help") {
      print(stdout, usage);
      return 0;
    } else if (argument == "--version") {
      print(stdout, "txt2csv-cli 1.0.0\n");
      return 0;
    } else if (argument == "-s") {
      if (++i == arguments.size()) return usage_error("-s needs a separator");
      chosen.separator = separator_from_bytes(arguments[i]);
    } else if (argument.starts_with("-s")) {
      chosen.separator = separator_from_bytes(std::string_view(argument).substr(2));
    } else if (argument == "--encoding" || argument.starts_with("--encoding=")) {
      std::string_view name;
      if (argument.size() > std::string_view("--encoding").size()) {
        name = std::string_view(argument).substr(std::string_view("--encoding=").size());
      } else if (++i < arguments.size()) {
        name = arguments[i];
      } else {
        return usage_error("--encoding needs auto, gbk or utf-8");
      }
      if (!choose_encoding(name, chosen.encoding))
        return usage_error("unknown encoding " + in_quotes(name) + ": auto, gbk or utf-8");
    } else {
      return usage_error("unknown option " + in_quotes(argument));
    }
  }
  if (positional.size() > 2) return usage_error("too many arguments");
  if (positional.size() > 0) chosen.input = positional[0];
  if (positional.size() > 1) chosen.output = positional[1];

  std::string input_name = names_standard_stream(chosen.input) ? "standard input"
                                                               : in_quotes(*chosen.input);
  std::string output_name = names_standard_stream(chosen.output) ? "standard output"
                                                                 : in_quotes(*chosen.output);
  std::optional<input_file> input;
  if (names_standard_stream(chosen.input)) {
    input.emplace(input_file::standard_input());
  } else {
    path input_path = path_from_argument(*chosen.input);
    if (!file_exists(input_path)) {
      complain("cannot find " + input_name + ": no such file");
      return 1;
    }
    input.emplace(input_path);
  }
  if (input->status() != open_status::opened) {
    complain("cannot read " + input_name + ": " + input->failure());
    return 1;
  }
  output_file output = names_standard_stream(chosen.output)
                           ? output_file::standard_output()
                           : output_file::replacing(path_from_argument(*chosen.output));

  conversion_result result = convert_stream(*input, output, chosen.separator, chosen.encoding);
  switch (result.outcome) {
    case conversion_outcome::done:
      return 0;
    case conversion_outcome::input_missing:
      complain("cannot find " + input_name + ": " + result.reason);
      return 1;
    case conversion_outcome::input_unreadable:
      complain("cannot read " + input_name + ": " + result.reason);
      return 1;
    case conversion_outcome::output_failed:
      complain("cannot write " + output_name + ": " + result.reason +
               (names_standard_stream(chosen.output) ? "" : "; it was not changed"));
      return 1;
  }
  return 1;
}

}  // namespace

int run_command_line(const std::vector<std::string>& arguments) {
  try {
    return run(arguments);
  } catch (const std::bad_alloc&) {
    // Unwinding has removed any new table file and freed what the conversion held.
    complain_out_of_memory();
    return 1;
  }
}

}  // namespace txt2csv
