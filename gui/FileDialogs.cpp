#include "gui/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace ferolith {

std::vector<FilterEntry> SplitDialogFilter(const std::string& filter) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (start < filter.size()) {
    const std::size_t bar = filter.find('|', start);
    const std::size_t end = bar == std::string::npos ? filter.size() : bar;
    if (end == start) break;  // the empty field that ends the filter
    fields.push_back(filter.substr(start, end - start));
    start = end + 1;
  }
  std::vector<FilterEntry> entries;
  for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
    entries.push_back({fields[i], fields[i + 1]});
  }
  return entries;
}

QStringList QtNameFilters(const std::vector<FilterEntry>& entries) {
  QStringList filters;
  for (const FilterEntry& entry : entries) {
    QStringList patterns =
        QString::fromStdString(entry.pattern).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    // "*.*" stands for every file, also those without an extension.
    for (QString& pattern : patterns) {
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    filters << QStringLiteral("%1 (%2)").arg(QString::fromStdString(entry.description),
                                            patterns.join(QLatin1Char(' ')));
  }
  return filters;
}

namespace {

std::optional<FileChoice> RunFileDialog(const FileDialogRequest& request, QWidget* parent,
                                        QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(mode);
  // The read-out changes the extension after the dialog and then asks about
  // the files it will really write; a question here would name another file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  const QStringList filters = QtNameFilters(SplitDialogFilter(request.filter));
  dialog.setNameFilters(filters);
  if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) {
    dialog.selectNameFilter(filters.at(request.filterIndex - 1));
  }
  if (!request.initialDirectory.empty()) {
    dialog.setDirectory(QString::fromStdString(request.initialDirectory));
  }
  if (!request.initialFileName.empty()) {
    dialog.selectFile(QString::fromStdString(request.initialFileName));
  }
  dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));

  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  QString path = dialog.selectedFiles().constFirst();
  // A name typed without extension gets the default one, however the name
  // reached the dialog's field.
  if (mode == QFileDialog::AcceptSave && !request.defaultExtension.empty() &&
      QFileInfo(path).suffix().isEmpty()) {
    path += QLatin1Char('.') + QString::fromStdString(request.defaultExtension);
  }
  FileChoice choice;
  choice.fullPath = path.toStdString();
  choice.fileName = QFileInfo(path).fileName().toStdString();
  const qsizetype selected = filters.indexOf(dialog.selectedNameFilter());
  choice.filterIndex = selected < 0 ? 1 : static_cast<int>(selected) + 1;
  return choice;
}

}  // namespace

std::optional<FileChoice> RunOpenFileDialog(const FileDialogRequest& request, QWidget* parent) {
  return RunFileDialog(request, parent, QFileDialog::AcceptOpen);
}

std::optional<FileChoice> RunSaveFileDialog(const FileDialogRequest& request, QWidget* parent) {
  return RunFileDialog(request, parent, QFileDialog::AcceptSave);
}

}  // namespace ferolith
