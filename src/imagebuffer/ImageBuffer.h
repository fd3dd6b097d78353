#pragma once

#include "imagebuffer/PictureView.h"

// The image-buffer control the forms work with: the operations they call by name,
// each forwarding to the picture the control shows.
class ImageBuffer : public PictureView {
    Q_OBJECT
public:
    using PictureView::PictureView;

    void setFileName(const QString &name) { fileName = name; }
    QString FileName() const { return fileName; }
    void setFileType(ImageFormat::Code code) { fileType = code; }
    ImageFormat::Code FileType() const { return fileType; }

    // Reads FileName as FileType and nothing else; on failure the buffer is empty.
    bool Load();
    // Writes the picture to FileName as JPEG or PNG with Quality and Progressive.
    bool Save();
    // Why the last Load or Save failed.
    QString LastError() const { return picture().errorString(); }

    void setQuality(int value) { quality = value; }
    int Quality() const { return quality; }
    void setProgressive(int value) { progressive = value; }
    int Progressive() const { return progressive; }

    int ColorDepth() const { return picture().depth(); }
    bool ConvertDepth(int bits);
    bool ReduceColors(int count, bool dither = false);
    bool CreateImage(int bits, int width, int height, const QColor &fill);
    void setResampleMode(Resampling mode) { resampleMode = mode; }
    Resampling ResampleMode() const { return resampleMode; }
    bool CopyScaled(const Picture &source);
    void Clear();
    int ImageWidth() const { return picture().width(); }
    int ImageHeight() const { return picture().height(); }
    // Takes over a picture made by the platform picture loader.
    void ImportPicture(const QImage &image) { setPicture(Picture::fromImage(image)); }

private:
    bool changed(bool done);

    QString fileName;
    ImageFormat::Code fileType = ImageFormat::None;
    int quality = 75;
    int progressive = 0;
    Resampling resampleMode = Resampling::Nearest;
};
