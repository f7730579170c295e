// Stands in front of Qt's own header in the window-free libraries (logic
// that answers with values the windows apply), so that including any widget
// or GUI header there stops the build.
#error "window-free code must not include Qt Widgets or Qt GUI headers"
