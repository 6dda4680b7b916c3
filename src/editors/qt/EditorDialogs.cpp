#include "editors/qt/EditorDialogs.h"

#include "decoders/fat/FatLayout.h"
#include "decoders/partition/GptLayout.h"
#include "decoders/partition/MbrLayout.h"
#include "editors/qt/EditBpbDlg.h"
#include "editors/qt/EditGptDlgs.h"
#include "editors/qt/EditMbrDlg.h"
#include "editors/qt/LbaChsDlg.h"
#include "engine/DumpRequest.h"

namespace trovik {

bool EditBpb(QWidget* parent, uint8_t* bpb62) {
  CEditBpbDlg dialog(bpb62, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditMbrEntry(QWidget* parent, uint8_t* entry16, int index) {
  CEditMbrDlg dialog(entry16, index, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditGptHeader(QWidget* parent, uint8_t* header512, uint32_t start, FileAccess& file) {
  CEditGptHeaderDlg dialog(header512, start, file, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditGptEntry(QWidget* parent, uint8_t* entry128, int index) {
  CEditGptEntryDlg dialog(entry128, index, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool EditStructure(QWidget* parent, DumpType type, std::span<uint8_t> bytes, int index, uint64_t offset,
                   FileAccess& file) {
  switch (type) {
    case DumpType::FatBpb:
      return bytes.size() == fat::bpb::kSize && EditBpb(parent, bytes.data());
    case DumpType::Mbr:
      return bytes.size() == mbr::entry::kSize && EditMbrEntry(parent, bytes.data(), index);
    case DumpType::GptHeader:
      // The header is edited where the run starts, below 4 GiB.
      return bytes.size() == gpt::header::kSize && offset <= kLastAddressable &&
             EditGptHeader(parent, bytes.data(), static_cast<uint32_t>(offset), file);
    case DumpType::GptEntry:
      return bytes.size() == gpt::entry::kSize && EditGptEntry(parent, bytes.data(), index);
    default:
      return false;
  }
}

void ShowLbaChs(QWidget* parent) {
  CLbaChsDlg dialog(parent);
  dialog.exec();
}

}  // namespace trovik
