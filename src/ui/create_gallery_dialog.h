// The create-gallery dialog: choose a skin, fill in its values and image variants, name the
// output folder and start.
//
// Each showing reads the skin catalogue of the program's "skins" folder anew, lists the skins
// by name and applies the first: one run-time control per value the skin asks for (text,
// colour or number), three per image variant (maximum width and height, JPEG quality). A skin
// whose controls cannot be built (a default that is no number or colour) is not applied, and
// "Start!" stays disabled until a skin is. "Start!" hands the controls' values to
// BuildRunRequest(), shows what it refuses in a "Fehler" box, and otherwise creates the run for
// the main window's image list and shows the progress window, which makes it. An output folder
// that is not empty is not written into unasked: the user empties it first (into the trash) or
// chooses another. A relative output path starts at the home folder, and the field then shows
// the full path.
//
// The dialog keeps the size the user gives it (also from one start of the program to the
// next), opens centred on the main window and always fits on the screen: the areas of the
// skin's values and image variants scroll. The skin's preview opens as a window of the dialog,
// so it takes input while the dialog is modal, and closes with it.
//
// The dialog owns the catalogue, the run's services and, during a run, the run itself.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "model/skin.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vistrel {

class TCancelFlag;
class TDialogs;
class TFileServices;
class TfrmDirDlg;
class TfrmImgPreview;
class TfrmProgress;
class TframEmpty;
class TVistrel;
class TVTLRecordList;
class TVTLRuntimeControl;
class TImageProcessor;
struct TRunInput;
class UserMessages;

// What the dialog needs from the main window.
struct TGallerySource {
  std::function<TVTLRecordList&()> records;
  std::function<QString()> selected_folder;  // the folder selected in the folder tree
};

class TfrmCreateGallery : public QDialog {
 public:
  TfrmCreateGallery(TDialogs& dialogs, TfrmProgress& progress, TfrmImgPreview& preview,
                    TfrmDirDlg& directory_chooser, QWidget* parent = nullptr);
  ~TfrmCreateGallery() override;

  void SetSource(TGallerySource source) { source_ = std::move(source); }
  // The machine's files for runs (home, mount roots, trash); tests hand in a fake.
  void SetFileServices(std::unique_ptr<TFileServices> files);
  // The folder whose skins are offered (the program's "skins" folder).
  QString SkinsFolder;

  // What a showing does: output path, catalogue, combo box, first skin applied.
  void Prepare();
  // Applies the skin of the selected entry (when it is not the one applied already).
  void ApplySkinChoice();
  void BtnLoadOtherSkinClick();
  void btnSearchOutputPathClick();
  void imgPreviewClick();
  void btnGoGoClick();
  // The full path the output path field stands for: a relative path starts at the home folder
  // of the file services, "~" is that folder (ResolveOutputPath).
  QString FullOutputPath(const QString& typed) const;
  // Closing the dialog closes the preview too.
  void done(int result) override;

  TVTLSkinList SkinList;
  std::vector<std::unique_ptr<TVTLRuntimeControl>> ValueControls;
  int RequiredValueCount = 0;
  std::vector<QGroupBox*> VariantGroups;
  int LoadedSkinIndex = -1;
  TVTLSkin* SkinInUse = nullptr;

  QComboBox* cbSkin;
  QPushButton* BtnLoadOtherSkin;
  QLineEdit* edPath;
  QLineEdit* edFilename;
  QLabel* lblAutor;
  QWidget* panPreview;
  QLabel* imgPreview;
  QLineEdit* edOutputPath;
  QPushButton* btnSearchOutputPath;
  QCheckBox* cbCleanDirectoryBefore;
  TframEmpty* frEmReqVars;
  QCheckBox* cbCopyOrigImages;
  TframEmpty* frEmImgMod;
  QCheckBox* cbUseCache;
  QSpinBox* sbCacheSize;
  QPushButton* btnGoGo;
  QPushButton* btnCancel;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TVTLSkin* SelectedSkin() const;
  void AddSkinEntry(TVTLSkin& skin);
  // Builds the controls of `skin`; throws EConvertError for a default that is none.
  void BuildControls(const TVTLSkin& skin);
  void ClearControls();
  void ShowPreview(const TVTLSkin& skin);
  // The values of the controls as the run takes them.
  TRunInput CollectInput(TVTLSkin* selected, bool applied);
  // Shows the directory chooser for the output path; true when the user chose a folder.
  bool ChooseOutputFolder();

  TDialogs& dialogs_;
  TfrmProgress& progress_;
  TfrmImgPreview& preview_;
  TfrmDirDlg& directory_chooser_;
  TGallerySource source_;
  std::unique_ptr<UserMessages> messages_;
  std::unique_ptr<TImageProcessor> images_;
  std::unique_ptr<TFileServices> files_;
  std::unique_ptr<TCancelFlag> cancel_;
  std::unique_ptr<TVistrel> gallery_;
};

}  // namespace vistrel
