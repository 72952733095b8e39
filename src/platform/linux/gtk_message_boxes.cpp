#include "platform/linux/gtk_message_boxes.h"

#include <string>
#include <utility>

#include "platform/text_codec.h"

namespace platform {

MessageAnswer GtkMessageBoxes::Show(const MessageRequest& request) {
  GtkMessageType type =
      request.icon == MessageIcon::Warning ? GTK_MESSAGE_WARNING : GTK_MESSAGE_OTHER;
  GtkButtonsType buttons =
      request.buttons == MessageButtons::OkCancel ? GTK_BUTTONS_OK_CANCEL : GTK_BUTTONS_OK;
  std::string text = EncodeUtf8(request.text);
  GtkWidget* dialog =
      gtk_message_dialog_new(owner_, GTK_DIALOG_MODAL, type, buttons, "%s", text.c_str());
  std::string caption = EncodeUtf8(request.caption);
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          owner_ != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  // As on Windows, OK is the default button: Enter answers it.
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  GtkDialog* outer = std::exchange(open_, GTK_DIALOG(dialog));
  gint response = gtk_dialog_run(GTK_DIALOG(dialog));
  open_ = outer;
  gtk_widget_destroy(dialog);
  return response == GTK_RESPONSE_OK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

void GtkMessageBoxes::CloseOpen() {
  if (open_ != nullptr) gtk_dialog_response(open_, GTK_RESPONSE_DELETE_EVENT);
}

}  // namespace platform
