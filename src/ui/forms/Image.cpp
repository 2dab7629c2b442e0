#include "ui/forms/Image.h"

#include <QFileInfo>
#include <QPainter>

namespace forms {

bool TPicture::LoadFromFile(const std::string& path) {
  Clear();
  const QString file = QString::fromStdString(path);
  const QString ext = QFileInfo(file).suffix().toLower();
  if (ext == "emf" || ext == "wmf") {
    if (!QFileInfo::exists(file)) return false;
    kind_ = TGraphicKind::Metafile;  // known, but not drawable here
    return true;
  }
  QImage image;
  if (!image.load(file)) return false;
  Assign(image, ext == "bmp" ? TGraphicKind::Bitmap : ext == "ico" ? TGraphicKind::Icon : TGraphicKind::Other);
  return true;
}

void TPicture::Assign(const QImage& image, TGraphicKind kind) {
  image_ = image;
  kind_ = image.isNull() && kind != TGraphicKind::Metafile ? TGraphicKind::None : kind;
}

void TPicture::Clear() {
  image_ = QImage();
  kind_ = TGraphicKind::None;
}

QColor TPicture::TransparentColor() const {
  if (image_.isNull()) return QColor();
  return image_.pixelColor(0, image_.height() - 1);
}

QImage TPicture::Transparented() const {
  if (image_.isNull()) return image_;
  QImage out = image_.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = TransparentColor().rgb() & 0x00FFFFFF;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if ((line[x] & 0x00FFFFFF) == key) line[x] = 0;
    }
  }
  return out;
}

TImage::TImage(QWidget* parent) : TWidgetControl<QWidget>(parent) {
  SetWindowed(false);
  SetParentColor(true);
  resize(105, 105);
}

void TImage::SetPicture(const TPicture& picture) {
  picture_ = picture;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (autoSize_ && !picture_.Empty()) resize(picture_.Width(), picture_.Height());
  update();
}

void TImage::SetStretch(bool value) {
  stretch_ = value;
  update();
}

void TImage::SetCenter(bool value) {
  center_ = value;
  update();
}

void TImage::SetTransparent(bool value) {
  transparent_ = value;
  update();
}

void TImage::SetAutoSize(bool value) {
  autoSize_ = value;
  PictureChanged();
}

void TImage::paintEvent(QPaintEvent*) {
  if (picture_.Empty()) return;
  QPainter painter(this);
  const QImage image = transparent_ && picture_.Kind() == TGraphicKind::Bitmap ? picture_.Transparented() : picture_.Image();
  QRect target(QPoint(0, 0), image.size());
  if (stretch_) {
    target = rect();
  } else if (center_) {
    target.moveTo((width() - image.width()) / 2, (height() - image.height()) / 2);
  }
  painter.drawImage(target, image);
}

}  // namespace forms
