// QorvImage's reader of disc images from bytes: the header, the FST and the
// whole listing, as text and as JSON. Besides not crashing or hanging, a
// listing must succeed exactly when the reader accepted the table, and the
// table may never hold more entries or copies than its bytes can.
// (fst_shape_fuzz builds FSTs to the format's shape instead.)
#include <cstdint>
#include <cstdlib>
#include <ostream>

#include "app/image_command_line.h"
#include "fuzz_support.h"
#include "image/fst_reader.h"
#include "image/system_area_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string path = qorv::fuzz::scratch_dir() + "/image.bin";
  qorv::fuzz::write_bytes(path, data, size);
  qorv::fuzz::NullBuffer nothing;
  std::ostream discard(&nothing);  // output is dropped without being held

  qorv::ImageRun run;
  run.diag_stream = run.out_stream = &discard;
  qorv::DiscFileReader file;
  if (!file.open(path)) std::abort();
  qorv::SystemArea area;
  qorv::FstTable table;
  bool read = qorv::read_system_area(run, file, path, area) && qorv::read_fst(run, file, path, area, table);
  if (read && (table.entries.size() * qorv::FST_RECORD_SIZE > area.fst_size ||
               table.copy_words.size() * 4 > area.fst_size))
    std::abort();

  for (const char *form : {"--long", "--json"}) {
    qorv::ImageRun list;
    list.diag_stream = list.out_stream = &discard;
    const char *argv[] = {"QorvImage", "list", form, path.c_str()};
    int status = qorv::run_image_program(list, 4, argv);
    if (status != (read ? qorv::IMAGE_OK : qorv::IMAGE_FAILED)) std::abort();
  }
  return 0;
}
