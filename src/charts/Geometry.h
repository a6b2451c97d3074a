#pragma once

#include <QString>
#include <QStringList>

// The installation data of a sensor as its form boxes hold them.
struct GeometryInput {
    bool headAtCollar = true; // Option1; otherwise the head is at the toe (Option2)
    QString recess;           // txtRecess
    QString lengthOfCable;    // txtLengthofCable
    QStringList nodeTexts;    // txtNode1.. (up to 8)
    int nodeCount = 0;        // 1..8
};

// Distances from the roof, formatted "##0.00"; empty where they could not be computed.
struct GeometryOutput {
    QString head;        // txtHead
    QStringList anchors; // txtRelSGanchor1..8, always 8 entries
};

constexpr int MaxAnchors = 8;

// The head's and each anchor's distance from the roof. Each output is computed on its own:
// a non-numeric recess counts as 0, a non-numeric node leaves its anchor empty, and with the
// head at the toe a non-numeric strand length leaves the head and every anchor empty.
GeometryOutput CalcReltoRoof(const GeometryInput& input);
