/* Resource ids of the launcher; the dialog template and the bitmap are named. */

/* Icons */
#define IDI_GAME        1       /* the game's icon, in brands that have one */

/* Strings */
#define IDS_PICTURE     118     /* names the bitmap shown in the dialog */

/* Controls of DLG_MASTER */
#define IDC_PICTURE     102
#define IDC_QUESTION1   103
#define IDC_QUESTION2   104

/* Size of the picture in pixels */
#define PICTURE_WIDTH   90
#define PICTURE_HEIGHT  90
