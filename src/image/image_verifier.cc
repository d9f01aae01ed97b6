#include "image/image_verifier.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "host/disc_file.h"
#include "host/path_target.h"
#include "host/sparse_file.h"
#include "image/build_record.h"
#include "image/fst_reader.h"
#include "image/image_report.h"
#include "image/item_check.h"
#include "image/shown_text.h"
#include "image/system_area_reader.h"

namespace qorv {

namespace {
constexpr size_t CHUNK = 1u << 20;

struct Comparer {
  std::vector<char> host = std::vector<char>(CHUNK);
  std::vector<char> disc = std::vector<char>(CHUNK);
};

// The data and hole runs of one file, asked for only when a run ends.
class Runs {
public:
  Runs(int fd, uint64_t size) : fd_(fd), size_(size) {}
  // Whether `offset` lies in data, and where its run ends.
  FileRun at(uint64_t offset) {
    if (offset < begin_ || offset >= run_.end) {
      begin_ = offset;
      run_ = file_run_at(fd_, offset, size_);
    }
    return run_;
  }

private:
  int fd_;
  uint64_t size_;
  uint64_t begin_ = 0;
  FileRun run_{false, 0};
};

// Compares one item's file with the image at its offset; reports the first
// differing offset and how many bytes differ. Only data is read: a stretch
// that is a hole in both is equal, one that is a hole on one side is
// compared with zeros, so the time follows the data, not the sizes.
void compare_item(ImageRun &run, const std::string &dlf, const CheckedItem &item, const std::string &path,
                  DiscFileReader &image, const std::string &image_name, Comparer &buffers) {
  DiscFileReader file;
  if (!file.open(path)) {
    image_error_at(run, dlf, item.line, ImageMessage::CannotRead, {path, error_text(file.error())});
    return;
  }
  uint64_t size = file.status().size, differing = 0, first = 0;
  Runs host_runs(file.fd(), size), disc_runs(image.fd(), image.status().size);
  for (uint64_t done = 0; done < size;) {
    FileRun host = host_runs.at(done), disc = disc_runs.at(item.offset + done);
    uint64_t want = std::min<uint64_t>({CHUNK, size - done, host.end - done,
                                        disc.end > item.offset + done ? disc.end - item.offset - done : CHUNK});
    if (!host.data && !disc.data && disc.end > item.offset + done) {
      done += want;  // zeros on both sides
      continue;
    }
    // A hole's side reads as zeros without being read.
    int64_t got = host.data ? file.read_at(done, buffers.host.data(), want) : static_cast<int64_t>(want);
    if (!host.data) std::fill_n(buffers.host.data(), want, '\0');
    int64_t in_image = disc.data || disc.end <= item.offset + done
                           ? image.read_at(item.offset + done, buffers.disc.data(), want)
                           : static_cast<int64_t>(want);
    if (!disc.data && disc.end > item.offset + done) std::fill_n(buffers.disc.data(), want, '\0');
    if (got < 0 || in_image < 0) {
      image_error_at(run, dlf, item.line, ImageMessage::CannotRead,
                     {got < 0 ? path : image_name, error_text(got < 0 ? file.error() : image.error())});
      return;
    }
    if (got == 0) break;  // the file shrank: sizes are compared below
    uint64_t both = std::min<uint64_t>(static_cast<uint64_t>(got), static_cast<uint64_t>(in_image));
    if (std::memcmp(buffers.host.data(), buffers.disc.data(), both) != 0 || both < static_cast<uint64_t>(got)) {
      for (uint64_t i = 0; i < static_cast<uint64_t>(got); ++i)
        if (i >= both || buffers.host[i] != buffers.disc[i]) {
          if (differing++ == 0) first = item.offset + done + i;
        }
    }
    done += static_cast<uint64_t>(got);
  }
  if (differing != 0)
    image_error_at(run, dlf, item.line, ImageMessage::Differs,
                   {path, image_name, hex_offset(first), grouped(differing), grouped(size)});
}

// Each FST file entry must be a DLF item of the same offset and size, and
// each item but the system file must be reached from the FST.
void match_fst(ImageRun &run, const std::string &dlf, const CheckedDlf &checked, const FstTable &table,
               const std::string &image_name) {
  const std::vector<CheckedItem> &items = checked.items;
  std::vector<bool> reached(items.size(), false);
  auto find = [&](uint64_t offset) {
    auto at = std::lower_bound(items.begin(), items.end(), offset,
                               [](const CheckedItem &item, uint64_t o) { return item.offset < o; });
    return at != items.end() && at->offset == offset ? at - items.begin() : -1;
  };
  for_each_fst_path(table, [&](uint32_t index, const FstEntry &entry, const std::string &path) {
    if (entry.is_directory()) return;
    const uint32_t places = entry.is_copied() ? entry.copy_count : 1;
    for (uint32_t k = 0; k < places; ++k) {
      const uint64_t place = entry.is_copied() ? table.copy(entry, k) : entry.offset;
      auto at = find(place);
      // Made only for a message: a deep tree's paths are long.
      auto where = [&] {
        std::string_view replica = replica_name(entry);
        const std::string shown = terminal_text(path, table.encoding);
        return replica.empty()
                   ? image_text(run, ImageMessage::EntryAt, {image_name, std::to_string(index), shown, hex_offset(place)})
                   : image_text(run, ImageMessage::ReplicaEntryAt,
                                {image_name, std::to_string(index), shown, replica, hex_offset(place)});
      };
      if (at < 0) {
        image_error(run, ImageMessage::EntryNoItem, {where()});
        continue;
      }
      const CheckedItem &item = items[static_cast<size_t>(at)];
      reached[static_cast<size_t>(at)] = true;
      // An item that could not be read has no size to compare: its own
      // message said why.
      if (item.usable && item.size != entry.size)
        image_error(run, ImageMessage::EntrySizeDiffers,
                    {where(), grouped(entry.size), checked.paths[static_cast<size_t>(at)], std::to_string(item.line),
                     grouped(item.size)});
    }
  });
  for (size_t i = 1; i < items.size(); ++i)
    if (!reached[i])
      image_error_at(run, dlf, items[i].line, ImageMessage::ItemNotReached,
                     {checked.paths[i], hex_offset(items[i].offset), image_name});
}
// A command line word as a shell takes it: quoted unless plain.
std::string shell_word(const std::string &word) {
  if (!word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./+,=:@") == std::string::npos)
    return word;
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// An image whose build record says that an update of it began and did not
// end is incomplete, whatever its bytes: reported with the command that
// rebuilds it.
bool update_interrupted(ImageRun &run, const std::string &dlf, const std::string &image_name) {
  const std::string end_path = find_path_target(image_name).end_path;
  if (end_path.empty()) return false;
  BuildRecord record;
  RecordProblem problem;
  if (read_build_record(build_record_path(end_path), record, problem) != RecordState::Read || !record.updating ||
      record.image_name != file_name_of(end_path))
    return false;
  std::string command = "QorvImage build";
  if (!run.options.directory.empty()) command += " -C " + shell_word(run.options.directory);
  image_error(run, ImageMessage::UpdateInterrupted,
              {image_name, command + " -o " + shell_word(image_name) + " " + shell_word(dlf)});
  return true;
}
}  // namespace

int verify_image(ImageRun &run) {
  const std::string &dlf = run.options.dlf_path;
  const std::string &image_name = run.options.image_path;
  CheckedDlf checked;
  if (!check_dlf(run, dlf, {}, {.keep_paths = true}, checked) && checked.items.empty()) return IMAGE_FAILED;
  const std::vector<CheckedItem> &items = checked.items;
  DiscFileReader image;
  if (!image.open(image_name)) {
    image_error(run, ImageMessage::CannotReadImage, {image_name, open_problem(run, image.error())});
    return IMAGE_FAILED;
  }
  if (update_interrupted(run, dlf, image_name)) return IMAGE_FAILED;
  if (image.status().size < checked.closing_offset)
    image_error(run, ImageMessage::ImageShorter,
                {image_name, grouped(image.status().size), hex_offset(checked.closing_offset),
                 grouped(checked.closing_offset)});
  Comparer buffers;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].usable) compare_item(run, dlf, items[i], checked.paths[i], image, image_name, buffers);

  SystemArea area;
  FstTable table;
  if (read_system_area(run, image, image_name, area)) {
    const bool zem = area.mode == TargetMode::ZEM;
    if (zem != checked.header.zem)
      image_error(run, ImageMessage::ModeDiffers,
                  {image_name, zem ? "ZEM" : "HT", checked.header.zem ? "v2.00 (ZEM)" : "v1.00 (HT)"});
    else if (read_fst(run, image, image_name, area, table))
      match_fst(run, dlf, checked, table, image_name);
  }
  if (run.error_count != 0) return IMAGE_FAILED;
  image_note(run, ImageMessage::Verified,
             {image_name, grouped(items.size()), grouped(table.entries.size()), dlf});
  return IMAGE_OK;
}

}  // namespace qorv
