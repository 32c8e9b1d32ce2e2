#pragma once

// Picture files of the drawing: measured without decoding, decoded no larger than they are drawn.

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

// Room for a decoded picture: a 16000 x 16000 picture at four bytes a pixel. The platform's own
// default refuses an ordinary camera photo.
constexpr int LimiteImageMo = 1024;

// The picture's size in pixels; an invalid size, with the reason in 'erreur', when the file holds
// no picture that can be read.
QSize TailleImage(const QString& chemin, QString& erreur);
// The picture decoded at most at 'taille' (pixels; a picture already smaller keeps its own size,
// an empty size keeps it whole); a null image, with the reason in 'erreur', when it cannot be read.
// 'partie' (fractions of the picture's width and height) decodes only that part, at its share of
// 'taille'; an empty result when the part holds no pixel.
QImage LitImage(const QString& chemin, QSize taille, QString& erreur,
                const QRectF& partie = QRectF(0, 0, 1, 1));
