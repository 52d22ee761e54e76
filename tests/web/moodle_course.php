<?php
// Run by tests/web/moodle.sh with Moodle's command-line PHP: makes in a freshly installed Moodle what a
// school has for the exercise, through Moodle's own data generator, and prints it as JSON.
//
//   php moodle_course.php MOODLE_DIR PACKAGE_ZIP PASSWORD
//
// The generator takes a package only from inside Moodle's folder: PACKAGE_ZIP lies there.
//
// A course with completion tracking, a teacher, four pupils, and the SCORM package as an activity with
// the settings Moodle gives a new SCORM activity (the site's defaults), a grade method of the highest
// grade as Moodle's form has it, and completion as a teacher sets it for the exercise: the activity is
// complete when the status is "passed". Beside it, for the screenshots of docs/web.md, the same package
// with other display settings (see $layouts), and once more with the file type wasm known to Moodle.

define('CLI_SCRIPT', true);

[, $moodle, $package, $password] = $argv + [null, null, null, null];
if (!$moodle || !$package || !$password) {
    fwrite(STDERR, "usage: php moodle_course.php MOODLE_DIR PACKAGE_ZIP PASSWORD\n");
    exit(2);
}
require($moodle . '/config.php');
require_once($CFG->libdir . '/testing/generator/lib.php');
require_once($CFG->libdir . '/completionlib.php');
require_once($CFG->dirroot . '/mod/scorm/locallib.php');

\core\session\manager::set_user(get_admin());
$generator = new testing_data_generator();

$course = $generator->create_course(['fullname' => 'Χημεία Β΄ Λυκείου', 'shortname' => 'chem-b',
    'enablecompletion' => 1]);
$users = [];
foreach (['teacher' => 'editingteacher', 'pupil1' => 'student', 'pupil2' => 'student', 'pupil3' => 'student',
        'pupil4' => 'student'] as $name => $role) {
    $user = $generator->create_user(['username' => $name, 'password' => $password,
        'firstname' => $name === 'teacher' ? 'Ελένη' : 'Μαθητής', 'lastname' => $name === 'teacher' ? 'Καθηγήτρια' : substr($name, -1),
        'email' => $name . '@school.invalid']);
    $generator->enrol_user($user->id, $course->id, $role);
    $users[$name] = $user->id;
}

// Each layout: a name and the display settings it changes from the site's defaults.
$layouts = [
    'defaults' => [],
    'no-structure' => ['hidetoc' => SCORM_TOC_DISABLED, 'displaycoursestructure' => 0, 'nav' => SCORM_NAV_DISABLED],
    'new-window' => ['popup' => 1, 'width' => 100, 'height' => 100, 'hidetoc' => SCORM_TOC_DISABLED,
        'nav' => SCORM_NAV_DISABLED],
];
// Last, the package once more after an administrator has added the file type wasm (Site administration >
// Server > File types): Moodle gives each file of a package its type when the package is stored, so only
// a package added after the type serves its program as application/wasm.
$layouts['wasm-type'] = ['add type first' => true];
$activities = [];
foreach ($layouts as $layout => $settings) {
    if (!empty($settings['add type first'])) {
        core_filetypes::add_type('wasm', 'application/wasm', 'unknown');
        $settings = [];
    }
    $scorm = $generator->create_module('scorm', [
        'course' => $course->id,
        'name' => $layout === 'defaults' ? 'Καύση αλκινίων' : "Καύση αλκινίων ($layout)",
        'packagefilepath' => $package,
        'grademethod' => get_config('scorm', 'grademethod'),
        'completion' => COMPLETION_TRACKING_AUTOMATIC,
        'completionstatusrequired' => array_search('passed', scorm_status_options()),
    ] + $settings);
    $sco = $DB->get_record('scorm_scoes', ['scorm' => $scorm->id, 'scormtype' => 'sco'], '*', MUST_EXIST);
    $activities[$layout] = ['cmid' => (int) $scorm->cmid, 'scorm' => (int) $scorm->id, 'sco' => (int) $sco->id];
}

echo json_encode(['course' => (int) $course->id, 'users' => $users, 'activities' => $activities]), "\n";
