/* Resource ids of the launcher, the layout of its dialog and the pace of its
 * controller, which the brand kit, the preview and the tests read too; the
 * dialog template and the bitmap are named. */

/* Icons */
#define IDI_GAME        1       /* the game's icon, in brands that have one */

/* Strings */
#define IDS_PICTURE     118     /* names the bitmap shown in the dialog */

/* Controls of DLG_MASTER */
#define IDC_PICTURE     102
#define IDC_QUESTION1   103
#define IDC_QUESTION2   104

/* DLG_MASTER's place and its controls', in dialog units: x, y, width, height */
#define DLG_RECT        70, 70, 220, 80
#define PLAY_RECT       90, 50, 40, 14
#define CANCEL_RECT     160, 50, 40, 14
#define QUESTION1_RECT  90, 10, 60, 10
#define QUESTION2_RECT  90, 20, 110, 10
#define PICTURE_RECT    10, 10, 60, 60

/* How often the dialog reads a controller, and after how long it asks again a
 * slot that had no pad (XInput asks us not to poll those often), in ms */
#define PAD_INTERVAL    50
#define PAD_RETRY       2000

/* Size of the picture in pixels */
#define PICTURE_WIDTH   90
#define PICTURE_HEIGHT  90
