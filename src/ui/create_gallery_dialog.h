// The create-gallery dialog: choose a skin, fill in its values and image variants, name the
// output folder and start.
//
// Each showing reads the skin catalogue of the program's "skins" folder anew, lists the skins
// that can be used by name and applies the first: one run-time control per value the skin asks
// for (text, colour or number, MakeValueControl), one TVariantGroup per image variant (maximum
// width and height, JPEG quality). A skin that failed to load or has a default that is no
// number or colour is not listed; loaded with "weiteren Skin laden..." it is refused with a
// message naming the value and the skin file. "Start!" is enabled while a skin is applied and
// every number lies in its range; otherwise a note beside it names the value (by its caption)
// and the range. "Start!" hands the controls' values to BuildRunRequest(), shows what it
// refuses in a "Fehler" box, and otherwise
// creates the run for the main window's image list and shows the progress window, which makes
// it. An output folder that is not empty is not written into unasked: the user empties it first
// (into the trash) or chooses another. A relative output path starts at the home folder, and
// the field then shows the full path.
//
// The dialog keeps the size the user gives it (also from one start of the program to the
// next), opens centred on the main window and always fits on the screen: the areas of the
// skin's values and image variants scroll. The skin's preview opens as a window of the dialog,
// so it takes input while the dialog is modal, and closes with it.
//
// The dialog opens with the settings of the gallery it is given (SetRemembered): their skin
// with their values and variants, their output folder and options, as far as they still fit
// the skin (remembered_gallery.h); without such settings it opens with the first skin and a
// folder "gallery" in the folder selected in the main window.
//
// The dialog owns the catalogue, the controls of the skin applied and the runner of its runs.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "csv/gallery_settings_file.h"
#include "csv/skin.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vistrel {

class TLocationOption;
class TDialogs;
class TFileServices;
class TfrmDirDlg;
class TfrmImgPreview;
class TfrmProgress;
class TframEmpty;
class TGalleryRunner;
class TVariantGroup;
class TVTLRecordList;
class TVTLRuntimeControl;
struct TRunInput;
struct TRunRequest;
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
  void SetSkinsFolder(const QString& folder) { skins_folder_ = folder; }
  // The settings the next showing starts from; nullopt for the skins' defaults. A gallery made
  // keeps their identity, or gets a new one without them.
  void SetRemembered(std::optional<TGallerySettings> settings);
  TGalleryRunner& Runner() const { return *runner_; }

  // What a showing does: output path, catalogue, combo box, the remembered skin (or the first)
  // applied with the remembered values.
  void Prepare();
  // Applies the skin of the selected entry (when it is not the one applied already).
  void ApplySkinChoice();
  // "weiteren Skin laden...": a skin file chosen by the user joins the catalogue and is applied.
  void BtnLoadOtherSkinClick();
  // "Durchsuchen...": the output folder chosen in the directory chooser.
  void btnSearchOutputPathClick();
  // A click on the skin's preview: the picture at full size.
  void imgPreviewClick();
  // "Start!".
  void btnGoGoClick();
  // The full path the output path field stands for: a relative path starts at the home folder
  // of the file services, "~" is that folder (ResolveOutputPath).
  QString FullOutputPath(const QString& typed) const;
  // Closing the dialog closes the preview too.
  void done(int result) override;

  const TVTLSkinList& SkinList() const { return skin_list_; }
  // The combo index of the skin whose controls are built; -1 when none is.
  int LoadedSkinIndex() const { return loaded_skin_index_; }
  // The skin of the last run started.
  const TVTLSkin* SkinInUse() const { return skin_in_use_; }
  // The control of the required value VARIABLENAME `name` (in any case), and the controls of
  // the image variant NAME `name`, of the skin applied; nullptr when there is none.
  TVTLRuntimeControl* ValueControl(const std::string& name) const;
  TVariantGroup* VariantGroup(const std::string& name) const;
  int ValueControlCount() const;
  int VariantGroupCount() const { return static_cast<int>(VariantGroups.size()); }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One required value of the skin applied: its control, or its default where its type has
  // none.
  struct TRequiredValue {
    std::string name;
    std::string default_value;
    std::unique_ptr<TVTLRuntimeControl> control;
  };

  QLayout* CreateSkinChoice();
  QLayout* CreateSkinData();
  QLayout* CreateOutputPath();
  QWidget* CreateRequiredValues();
  QWidget* CreateImageProcessing();
  QLayout* CreateButtons();
  TVTLSkin* SelectedSkin() const;
  void AddSkinEntry(TVTLSkin& skin);
  // Adds a skin loaded from elsewhere to the catalogue and the combo box, and selects it.
  void AddLoadedSkin(std::unique_ptr<TVTLSkin> loaded);
  // Builds the controls of `skin`; throws EConvertError for a default that is none.
  void BuildControls(const TVTLSkin& skin);
  void ClearControls();
  void ShowPreview(const TVTLSkin& skin);
  // The values of the controls as the run takes them.
  TRunInput CollectInput(TVTLSkin* selected, bool applied);
  // Shows the directory chooser for the output path; true when the user chose a folder.
  bool ChooseOutputFolder();
  // What to do with the output folder: use it, check the request again (it is to be emptied
  // first, or another folder was chosen), or stop.
  enum class TFolderAnswer { kUse, kAskAgain, kStop };
  // Asks the user when `folder` is not empty.
  TFolderAnswer AskAboutOutputFolder(TRunInput& input, const std::string& folder);
  // Chooses the skin of the remembered settings, loading it when the catalogue lacks it; false
  // when it cannot be used.
  bool ChooseRememberedSkin();
  // Puts the remembered values into the controls of the skin applied.
  void ShowRemembered();
  // Enables "Start!" when a skin is applied and every number lies in its range, and shows
  // what is out of range beside it.
  void UpdateStart();
  // The first number of the controls that lies outside its range, as a message; empty when
  // there is none.
  QString RangeProblem() const;

  QComboBox* cbSkin;                  // the skins by name
  QPushButton* BtnLoadOtherSkin;      // "weiteren Skin laden..."
  QLineEdit* edPath;                  // the skin's folder
  QLineEdit* edFilename;              // the skin's file name
  QLabel* lblAutor;                   // the skin's author
  QWidget* panPreview;                // the skin's preview with its caption
  QLabel* imgPreview;                 // the skin's preview
  QLineEdit* edOutputPath;            // "Ausgabepfad der Galerie:"
  QPushButton* btnSearchOutputPath;   // "Durchsuchen..."
  QCheckBox* cbCleanDirectoryBefore;  // "Verzeichnis vor Galerieerzeugung leeren"
  TframEmpty* frEmReqVars;            // the area of the skin's values
  QCheckBox* cbCopyOrigImages;        // "Originale der Bilddateien kopieren"
  TLocationOption* location_option_;  // "Ortsangaben weglassen"
  TframEmpty* frEmImgMod;             // the area of the image variants
  QCheckBox* use_cache_box_;          // "Zwischenspeicher für verkleinerte Bilder verwenden"
  QSpinBox* cache_size_box_;          // "Größe des Zwischenspeichers (MB):"
  QLabel* range_note_;                // what keeps "Start!" disabled
  QPushButton* btnGoGo;               // "Start!"
  QPushButton* cancel_button_;        // "Abbrechen"

  // The controls of the skin applied: one entry per row of its required values, in row order,
  // and one group per image variant.
  std::vector<TRequiredValue> ValueControls;
  std::vector<std::unique_ptr<TVariantGroup>> VariantGroups;

  TDialogs& dialogs_;
  TfrmProgress& progress_;
  TfrmImgPreview& preview_;
  TfrmDirDlg& directory_chooser_;
  TGallerySource source_;
  QString skins_folder_;
  TVTLSkinList skin_list_;
  int loaded_skin_index_ = -1;
  TVTLSkin* skin_in_use_ = nullptr;
  std::unique_ptr<UserMessages> messages_;
  std::unique_ptr<TGalleryRunner> runner_;
  std::optional<TGallerySettings> remembered_;
  std::string gallery_id_;
};

}  // namespace vistrel
