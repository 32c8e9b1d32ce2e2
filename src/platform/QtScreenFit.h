#pragma once

// Dialogs that fit the screen they open on: no field and no OK or Cancel lies beyond its edge,
// whatever the screen's size and scale.

class QWidget;

// Limits a window that is about to show (or has grown) to the available area of its screen: moved
// into it, made smaller where its contents allow, and otherwise given a scrolling area for its
// contents with its buttons kept below it, in view.
void AjusteAEcran(QWidget* fenetre);

// From now on every dialog the application shows, its own and the toolkit's (file, colour, font
// and print dialogs and their sub-windows), is fitted so when it shows and when it grows.
void AjusteDialoguesAEcran();
