#pragma once
// Pictures and the image control. A picture holds a bitmap, an icon or another graphic
// (JPEG); a metafile is known by its kind but cannot be drawn here and stays empty.
#include <QImage>
#include <QWidget>
#include <string>

#include "ui/forms/Control.h"

namespace forms {

enum class TGraphicKind { None, Bitmap, Icon, Metafile, Other };

class TPicture {
 public:
  // By the file's extension: .bmp bitmap, .ico icon, .emf/.wmf metafile, anything else that
  // loads as an image "other". False (and empty) when the file cannot be read.
  bool LoadFromFile(const std::string& path);
  void Assign(const QImage& image, TGraphicKind kind);
  void Clear();

  TGraphicKind Kind() const { return kind_; }
  bool Empty() const { return image_.isNull(); }
  const QImage& Image() const { return image_; }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  // The colour a transparent bitmap leaves out: its bottom-left pixel.
  QColor TransparentColor() const;
  // The picture with its transparent colour made fully transparent.
  QImage Transparented() const;

 private:
  QImage image_;
  TGraphicKind kind_ = TGraphicKind::None;
};

class TImage : public TWidgetControl<QWidget> {
 public:
  explicit TImage(QWidget* parent);

  TPicture& Picture() { return picture_; }
  const TPicture& Picture() const { return picture_; }
  void SetPicture(const TPicture& picture);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool value);
  bool Center() const { return center_; }
  void SetCenter(bool value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  // Call after changing Picture() in place.
  void PictureChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TPicture picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};

}  // namespace forms
