#include "window/generate_routine.h"

#include <new>

#include "convert/generate.h"
#include "primitives/allocation.h"
#include "primitives/message_box.h"
#include "shell/shell.h"

namespace txt2csv {

void generate_and_report(std::intptr_t owner,
                         separator_spellings (*separator_of)(std::intptr_t owner)) {
  try {
    generate_report report = generate_table(run_directory(), separator_of(owner));
    message_box(report.message, report.box_style, std::nullopt, owner);
  } catch (const std::bad_alloc&) {
    // Unwinding has removed the unfinished table; 1.csv is as it was.
    report_runtime_error(allocation_failure_message(failed_allocation_size()));
  }
}

}  // namespace txt2csv
