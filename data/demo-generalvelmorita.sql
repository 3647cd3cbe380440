-- The demo's general database (after esquema-generalvelmorita.sql): the letterhead of each
-- company database.

INSERT INTO empresas (ID, BaseDeDatos, Empresa, Domicilio, CP, CiudadEstado, Telefonos, RFC) VALUES
(1, 'datos1', 'DISTRIBUIDORA VELMORITA, S.A. DE C.V.', 'AV. REVOLUCIÓN 1450, COL. SAN PEDRO',
 '44640', 'GUADALAJARA, JALISCO', '(33) 3615-2290, (33) 3615-2291', 'DVE950612KT3'),
(2, 'datos2', 'VELMORITA DEL PACÍFICO, S. DE R.L. DE C.V.', 'BLVD. FRANCISCO MEDINA ASCENCIO 1900',
 '48310', 'PUERTO VALLARTA, JALISCO', '(322) 226-0400', 'VPA080301GH2');
