#include "form1.h"
#include "program_start.h"

int main() {
  const auto application = velunor::StartApplication();
  velunor::Form1 form;
  form.show();
  return application->exec();
}
