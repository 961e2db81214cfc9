// The create-gallery dialog: choose a skin, fill in its values and image variants, name the
// output folder and start.
//
// Each showing reads the skin catalogue of the program's "skins" folder anew, lists the skins
// by name and applies the first: one run-time control per value the skin asks for (text,
// colour or number), three per image variant (maximum width and height, JPEG quality). A skin
// whose controls cannot be built (a default that is no number or colour) is not applied, and
// "Start!" stays disabled until a skin is. "Start!" hands the controls' values to
// BuildRunRequest(), shows what it refuses in a "Fehler" box, and otherwise creates the run for
// the main window's image list and shows the progress window, which makes it.
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
  QPushButton* btnGoGo;

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
