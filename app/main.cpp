#include "form1.h"
#include "program_start.h"

int main(int /*argc*/, char** argv) {
  const auto application = velunor::StartApplication(argv[0]);
  velunor::Form1 form;
  form.show();
  return application->exec();
}
