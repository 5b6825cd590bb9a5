// kestrel-recipe: recipe costing for a customer. The command line is the customer number.
#include "CRecipeApp.h"

int main(int argc, char** argv) {
    CRecipeApp app(argc, argv);
    app.InitInstance();
    return 0;
}
